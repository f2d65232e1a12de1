// What a person has selected of a document's text in one page view: from the word where a drag
// began to the word it reached, across pages when it went on, or the whole document. A page's
// words are read when first needed (painting, the pointer over it, copying) and the last few
// pages read are kept; opening a document reads nothing. UI thread only.
#pragma once

#include "core/page_text.h"

#include <QPointF>
#include <QString>

#include <deque>
#include <map>
#include <optional>
#include <vector>

namespace pdfeditor {

class Document;

class TextSelection {
public:
    // Pages whose words are kept for painting and the pointer: more than a view at its smallest
    // zoom shows, so that painting a selection never reads a page twice.
    static constexpr size_t kPagesKept = 64;
    // What the text of one page is separated from the next one's by.
    static constexpr char kPageBreak[] = "\n\n";

    // The document must outlive the selection.
    explicit TextSelection(const Document& document);

    // The words of page `page`, read on first use; an empty text for a page out of range.
    const PageText& Words(int page);
    // Whether a point of a page (fractions of it) is over a word.
    bool IsOverText(int page, QPointF at);

    // A press of the button at a point of a page (fractions, which may lie off the page). The
    // selection stays as it was until Extend.
    void Begin(int page, QPointF at);
    // The pointer with the button down: selects from the word nearest the press to the word
    // nearest `at`. Without a press begun, moves the end of the selection there and keeps its
    // start (Shift and a click). Returns whether what is selected changed.
    bool Extend(int page, QPointF at);
    // Every word of every page; reads nothing until the text or its areas are asked for.
    void SelectAll();
    // Returns whether anything was selected.
    bool Clear();
    bool IsEmpty() const { return !m_from || !m_to; }

    // The selected text in reading order, each page's text separated from the next one's by
    // kPageBreak; pages without text add nothing. Reads the pages it needs without keeping them.
    QString Text();
    // The rectangles to paint over page `page`, one per selected line, in fractions of the page.
    std::vector<QRectF> Areas(int page);

private:
    // A word of a page; -1 before its first word, kEnd past its last.
    struct Place {
        int page = 0;
        int word = 0;
        friend auto operator<=>(const Place&, const Place&) = default;
    };
    static constexpr int kEnd = 1 << 30;

    Place PlaceAt(int page, QPointF at);
    // The selection's first and last word, in reading order.
    std::pair<Place, Place> Ordered() const;

    const Document& m_document;
    std::map<int, PageText> m_pages;
    std::deque<int> m_readOrder;                    // of m_pages' keys, oldest first
    std::optional<std::pair<int, QPointF>> m_press; // begun, and not yet extended
    std::optional<Place> m_from;                    // where the selection began
    std::optional<Place> m_to;                      // where it reaches
};

} // namespace pdfeditor
