#include "text_selection.h"

#include "core/document.h"

#include <algorithm>

namespace pdfeditor {

TextSelection::TextSelection(const Document& document) : m_document(document) {}

const PageText& TextSelection::Words(int page) {
    auto found = m_pages.find(page);
    if (found != m_pages.end()) {
        return found->second;
    }
    if (m_readOrder.size() >= kPagesKept) {
        m_pages.erase(m_readOrder.front());
        m_readOrder.pop_front();
    }
    m_readOrder.push_back(page);
    return m_pages.emplace(page, PageText::Read(m_document, page)).first->second;
}

bool TextSelection::IsOverText(int page, QPointF at) {
    return Words(page).WordAt(at) >= 0;
}

TextSelection::Place TextSelection::PlaceAt(int page, QPointF at) {
    page = std::clamp(page, 0, std::max(0, m_document.PageCount() - 1));
    const int word = Words(page).NearestWord(at);
    return Place{page, word};
}

void TextSelection::Begin(int page, QPointF at) {
    m_press = std::make_pair(page, at);
}

bool TextSelection::Extend(int page, QPointF at) {
    const std::optional<Place> from = m_from;
    const std::optional<Place> to = m_to;
    if (m_press) {
        m_from = PlaceAt(m_press->first, m_press->second);
        m_press.reset();
    }
    m_to = PlaceAt(page, at);
    if (!m_from) {
        m_from = m_to;
    }
    return from != m_from || to != m_to;
}

void TextSelection::SelectAll() {
    m_press.reset();
    m_from = Place{0, -1};
    m_to = Place{std::max(0, m_document.PageCount() - 1), kEnd};
}

bool TextSelection::Clear() {
    m_press.reset();
    const bool had = !IsEmpty();
    m_from.reset();
    m_to.reset();
    return had;
}

std::pair<TextSelection::Place, TextSelection::Place> TextSelection::Ordered() const {
    return *m_to < *m_from ? std::make_pair(*m_to, *m_from) : std::make_pair(*m_from, *m_to);
}

QString TextSelection::Text() {
    if (IsEmpty()) {
        return QString();
    }
    const auto [first, last] = Ordered();
    QString text;
    for (int page = first.page; page <= last.page; ++page) {
        // A long selection is read page by page without pushing out the pages on screen.
        const auto kept = m_pages.find(page);
        const PageText read = kept == m_pages.end() ? PageText::Read(m_document, page) : PageText();
        const PageText& words = kept == m_pages.end() ? read : kept->second;
        const QString part = words.Text(page == first.page ? first.word : 0,
                                        page == last.page ? last.word : words.Count() - 1);
        if (part.isEmpty()) {
            continue;
        }
        if (!text.isEmpty()) {
            text += QLatin1String(kPageBreak);
        }
        text += part;
    }
    return text;
}

std::vector<QRectF> TextSelection::Areas(int page) {
    if (IsEmpty()) {
        return {};
    }
    const auto [first, last] = Ordered();
    if (page < first.page || page > last.page) {
        return {};
    }
    const PageText& words = Words(page);
    return words.Areas(page == first.page ? first.word : 0,
                       page == last.page ? last.word : words.Count() - 1);
}

} // namespace pdfeditor
