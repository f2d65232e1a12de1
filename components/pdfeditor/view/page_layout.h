// Where the page view puts each page: one page or two side by side per row, rows one under the
// other (continuous) or one row at a time, at a scale and a rotation of the view. Pure
// arithmetic on page sizes, so that every arrangement can be checked without a window.
//
// Rows: one page each, or pairs (0, 1), (2, 3)… — with the cover page, page 0 stands alone on
// the right, as a book's first page does, and the pairs are (1, 2), (3, 4)…. Two pages share a
// spine in the middle: the left page ends at it, the right one starts at it, each column as
// wide as the widest page, so that the spine stays put while scrolling. Pages of one row are
// centred on the row's height.
//
// Not continuous, every row sits at the top of the strip and only the row on show counts for
// finding pages; the others keep their places there, so that their sizes are known before
// they are shown.
#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <utility>
#include <vector>

namespace pdfeditor {

enum class LayoutMode { SinglePage, TwoPages };

struct LayoutOptions {
    LayoutMode mode = LayoutMode::SinglePage;
    bool continuous = true;
    // Two pages only: the first page alone, on the right.
    bool coverPage = true;

    friend bool operator==(const LayoutOptions&, const LayoutOptions&) = default;
};

// The view's rotation in quarter turns clockwise, 0 to 3; any other count is taken modulo 4.
int NormalizedTurns(int quarterTurns);
// A page's size as the view shows it: width and height swap at a quarter and three quarters.
QSizeF RotatedSize(const QSizeF& size, int quarterTurns);
// Turns a point given as fractions of the page (0,0 at its top left, as the file has it) into
// fractions of the page as the view shows it, and back.
QPointF ToShown(const QPointF& onPage, int quarterTurns);
QPointF FromShown(const QPointF& shown, int quarterTurns);
QRectF ToShown(const QRectF& onPage, int quarterTurns);

class PageLayout {
public:
    PageLayout() = default;
    // `points`: each page's size as the file has it; `scale`: pixels per point; `gap`: pixels
    // around and between pages; `shownPage`: not continuous, the row of this page is on show
    // (the first row for a page out of range).
    PageLayout(const std::vector<QSizeF>& points, double scale, int quarterTurns,
               LayoutOptions options, int gap, int shownPage = 0);

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    bool IsEmpty() const { return m_pages.empty(); }
    // The page's rectangle in the whole strip; null for an index out of range.
    QRect PageRect(int page) const;
    QSize Content() const { return m_content; }

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // -1 for a page out of range.
    int RowOf(int page) const;
    // The pages of a row, first and last; (-1, -1) for a row out of range.
    std::pair<int, int> PagesOfRow(int row) const;
    // The top of a row in the strip (its tallest page's top); 0 for a row out of range.
    int RowTop(int row) const;
    int ShownRow() const { return m_shownRow; }
    // Whether the page's row is on screen at all: always when continuous.
    bool IsShown(int page) const;

    // The row under a height in the strip: the first whose bottom, with the gap below it, lies
    // below y (clamped to the rows there are). Not continuous, the row on show.
    int RowAt(int y) const;
    // The first and the last page of the rows between two heights; (-1, -1) without pages.
    std::pair<int, int> PagesBetween(int top, int bottom) const;
    // The page under a point of the strip; -1 over the gaps and outside.
    int PageAt(QPoint point) const;

    // The scale (pixels per point) at which the widest row fits `area` (the row of `page`
    // alone when the layout shows a row at a time), and, for a whole page, the tallest page in
    // the row of `page` fits its height too. At least 1e-6; `area`
    // includes the gaps.
    static double FitScale(const std::vector<QSizeF>& points, int quarterTurns,
                           LayoutOptions options, QSize area, int gap, bool wholePage, int page);
    // The rows for a count of pages: each row's first page.
    static std::vector<int> RowStarts(int pageCount, LayoutOptions options);

private:
    struct Row {
        int first;
        int last;
        int top;
        int height;
    };

    std::vector<QRect> m_pages;
    std::vector<Row> m_rows;
    std::vector<int> m_rowOf;
    QSize m_content;
    int m_gap = 0;
    int m_shownRow = 0;
    bool m_continuous = true;
};

} // namespace pdfeditor
