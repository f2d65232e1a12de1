#include "page_text.h"

#include "document.h"

#include <poppler-qt6.h>

#include <algorithm>
#include <limits>

namespace pdfeditor {

namespace {

// How far around a word's box the pointer still counts as over it, in points.
constexpr double kSlack = 1.5;
// Between lines, a distance down counts this many times one across: a pointer just below a line
// belongs to it rather than to a word of another column beside it.
constexpr double kLineWeight = 3.0;
// Beyond any distance on a page: a line level with the pointer comes before every other.
constexpr double kOffTheRow = 1e9;

// Scripts written without spaces between words, selected character by character. Korean is
// written with spaces and stays in words.
bool IsUnspacedScript(char32_t c) {
    if ((c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF)) {
        return true; // CJK punctuation and full-width forms
    }
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

QRectF Fraction(const QRectF& points, QSizeF size) {
    return QRectF(points.x() / size.width(), points.y() / size.height(),
                  points.width() / size.width(), points.height() / size.height());
}

// Adds Poppler's word as one word, or as one per character when it holds characters of a
// script without spaces and Poppler gave a box for each of them.
void AddWord(const Poppler::TextBox& box, int line, QSizeF size, std::vector<TextWord>* words) {
    const QString text = box.text();
    const QList<uint> characters = text.toUcs4();
    const bool unspaced = std::any_of(characters.begin(), characters.end(),
                                      [](uint c) { return IsUnspacedScript(char32_t(c)); });
    const int count = static_cast<int>(characters.size());
    // A ligature or a character Poppler split into several leaves the boxes out of step with
    // the characters; such a word stays whole.
    const bool boxEach = unspaced && count > 1 && !box.charBoundingBox(count - 1).isNull() &&
                         box.charBoundingBox(count).isNull();
    if (!boxEach) {
        words->push_back(
            TextWord{text, Fraction(box.boundingBox(), size), line, box.hasSpaceAfter()});
        return;
    }
    for (int i = 0; i < count; ++i) {
        const char32_t c = characters[i];
        words->push_back(TextWord{QString::fromUcs4(&c, 1), Fraction(box.charBoundingBox(i), size),
                                  line, i == count - 1 && box.hasSpaceAfter()});
    }
}

} // namespace

PageText::PageText(std::vector<TextWord> words, QSizeF size)
    : m_words(std::move(words)), m_size(size) {}

PageText PageText::Read(const Document& document, int index) {
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler || index < 0 || index >= document.PageCount()) {
        return PageText();
    }
    const std::unique_ptr<Poppler::Page> page = poppler->page(index);
    if (!page) {
        return PageText();
    }
    const QSizeF size = page->pageSizeF();
    if (size.width() <= 0 || size.height() <= 0) {
        return PageText();
    }
    const std::vector<std::unique_ptr<Poppler::TextBox>> boxes = page->textList();
    std::vector<TextWord> words;
    words.reserve(boxes.size());
    int line = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        AddWord(*boxes[i], line, size, &words);
        // Poppler links each word to the next one on its line; a word without that link ends
        // its line.
        const Poppler::TextBox* next = i + 1 < boxes.size() ? boxes[i + 1].get() : nullptr;
        if (boxes[i]->nextWord() != next) {
            ++line;
        }
    }
    return PageText(std::move(words), size);
}

int PageText::WordAt(QPointF at) const {
    if (m_size.isEmpty()) {
        return -1;
    }
    const double dx = kSlack / m_size.width();
    const double dy = kSlack / m_size.height();
    for (size_t i = 0; i < m_words.size(); ++i) {
        if (m_words[i].box.adjusted(-dx, -dy, dx, dy).contains(at)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int PageText::NearestWord(QPointF at) const {
    if (const int under = WordAt(at); under >= 0) {
        return under;
    }
    int nearest = -1;
    double best = std::numeric_limits<double>::max();
    for (size_t i = 0; i < m_words.size(); ++i) {
        const QRectF& box = m_words[i].box;
        const double across =
            std::max({0.0, box.left() - at.x(), at.x() - box.right()}) * m_size.width();
        const double down =
            std::max({0.0, box.top() - at.y(), at.y() - box.bottom()}) * m_size.height();
        const double distance = down > 0 ? kOffTheRow + across + kLineWeight * down : across;
        if (distance < best) {
            best = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

QString PageText::Text(int first, int last) const {
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    QString text;
    for (int i = first; i <= last; ++i) {
        const TextWord& word = m_words[static_cast<size_t>(i)];
        text += word.text;
        if (i < last) {
            if (m_words[static_cast<size_t>(i) + 1].line != word.line) {
                text += QLatin1Char('\n');
            } else if (word.spaceAfter) {
                text += QLatin1Char(' ');
            }
        }
    }
    return text;
}

std::vector<QRectF> PageText::Areas(int first, int last) const {
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    std::vector<QRectF> areas;
    for (int i = first; i <= last; ++i) {
        const TextWord& word = m_words[static_cast<size_t>(i)];
        if (i > first && word.line == m_words[static_cast<size_t>(i) - 1].line) {
            areas.back() = areas.back().united(word.box);
        } else {
            areas.push_back(word.box);
        }
    }
    return areas;
}

} // namespace pdfeditor
