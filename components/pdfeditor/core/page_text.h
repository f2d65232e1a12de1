// A page's text as a person selects it: its words in the reading order Poppler gives, each with
// its box, and the text from one word to another. Chinese and Japanese characters are words of
// their own, since that writing has no spaces to tell words apart and a person selects it
// character by character.
#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

namespace pdfeditor {

class Document;

struct TextWord {
    QString text;
    QRectF box;   // fractions of the page, (0, 0) at its top left
    int line = 0; // counted from 0 in reading order
    bool spaceAfter = false;
};

class PageText {
public:
    PageText() = default;
    // Words already laid out, in reading order, on a page of `size` points (for tests and
    // callers that read text elsewhere).
    PageText(std::vector<TextWord> words, QSizeF size);

    // Reads page `index` (0-based) of the document; empty for an index out of range, a page
    // without text, or one Poppler cannot read. UI thread: it reads the opening thread's Poppler
    // document.
    static PageText Read(const Document& document, int index);

    const std::vector<TextWord>& Words() const { return m_words; }
    int Count() const { return static_cast<int>(m_words.size()); }
    bool IsEmpty() const { return m_words.empty(); }

    // The word whose box holds `at` (fractions of the page), with a little room around it; -1
    // for none.
    int WordAt(QPointF at) const;
    // The word a selection reaches with the pointer at `at`, which may be off the words or off
    // the page: the word under it, else the nearest word level with it (past the end of a line
    // is its last word, before its start its first), else the nearest above or below, distances
    // down counting more than across. -1 only for a page without words.
    int NearestWord(QPointF at) const;

    // Words first to last (clamped to the page), in reading order: a space where the page has
    // one, a newline between lines, nothing between words set without a space (as Chinese
    // characters are). Empty when nothing of the range is on the page.
    QString Text(int first, int last) const;
    QString AllText() const { return Text(0, Count() - 1); }
    // What a selection of words first to last covers: one rectangle per line, from its first
    // selected word to its last, in fractions of the page.
    std::vector<QRectF> Areas(int first, int last) const;

private:
    std::vector<TextWord> m_words;
    QSizeF m_size; // points, to weigh distances across and down alike
};

} // namespace pdfeditor
