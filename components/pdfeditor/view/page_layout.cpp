#include "page_layout.h"

#include <algorithm>
#include <cmath>

namespace pdfeditor {

namespace {

bool TwoPages(LayoutOptions options) {
    return options.mode == LayoutMode::TwoPages;
}

int Pixels(double points, double scale) {
    return std::max(1, int(std::lround(points * scale)));
}

} // namespace

int NormalizedTurns(int quarterTurns) {
    return ((quarterTurns % 4) + 4) % 4;
}

QSizeF RotatedSize(const QSizeF& size, int quarterTurns) {
    return NormalizedTurns(quarterTurns) % 2 ? size.transposed() : size;
}

QPointF ToShown(const QPointF& onPage, int quarterTurns) {
    const double x = onPage.x();
    const double y = onPage.y();
    switch (NormalizedTurns(quarterTurns)) {
    case 1:
        return {1 - y, x}; // the page's top edge becomes the right edge
    case 2:
        return {1 - x, 1 - y};
    case 3:
        return {y, 1 - x};
    default:
        return onPage;
    }
}

QPointF FromShown(const QPointF& shown, int quarterTurns) {
    return ToShown(shown, 4 - NormalizedTurns(quarterTurns));
}

QRectF ToShown(const QRectF& onPage, int quarterTurns) {
    return QRectF(ToShown(onPage.topLeft(), quarterTurns),
                  ToShown(onPage.bottomRight(), quarterTurns))
        .normalized();
}

std::vector<int> PageLayout::RowStarts(int pageCount, LayoutOptions options) {
    std::vector<int> starts;
    if (!TwoPages(options)) {
        for (int page = 0; page < pageCount; ++page) {
            starts.push_back(page);
        }
        return starts;
    }
    int page = 0;
    if (options.coverPage && pageCount > 0) {
        starts.push_back(0);
        page = 1;
    }
    for (; page < pageCount; page += 2) {
        starts.push_back(page);
    }
    return starts;
}

PageLayout::PageLayout(const std::vector<QSizeF>& points, double scale, int quarterTurns,
                       LayoutOptions options, int gap, int shownPage)
    : m_gap(gap), m_continuous(options.continuous) {
    const int count = static_cast<int>(points.size());
    m_pages.assign(points.size(), QRect());
    int column = 0;
    for (int i = 0; i < count; ++i) {
        const QSizeF shown = RotatedSize(points[size_t(i)], quarterTurns);
        m_pages[size_t(i)].setSize(
            QSize(Pixels(shown.width(), scale), Pixels(shown.height(), scale)));
        column = std::max(column, m_pages[size_t(i)].width());
    }

    const bool two = TwoPages(options);
    const std::vector<int> starts = RowStarts(count, options);
    m_rowOf.assign(points.size(), 0);
    int y = gap;
    for (size_t r = 0; r < starts.size(); ++r) {
        Row row{starts[r], r + 1 < starts.size() ? starts[r + 1] - 1 : count - 1, 0, 0};
        for (int page = row.first; page <= row.last; ++page) {
            row.height = std::max(row.height, m_pages[size_t(page)].height());
            m_rowOf[size_t(page)] = static_cast<int>(r);
        }
        row.top = m_continuous ? y : gap;
        for (int page = row.first; page <= row.last; ++page) {
            QRect& rect = m_pages[size_t(page)];
            int x = gap + (column - rect.width()) / 2;
            if (two) {
                // A page alone is on the right only as the cover; a last odd page stays left.
                const bool right = page > row.first || (page == 0 && options.coverPage);
                x = right ? gap + column + gap : gap + column - rect.width();
            }
            rect.moveTo(x, row.top + (row.height - rect.height()) / 2);
        }
        y += row.height + gap;
        m_rows.push_back(row);
    }

    m_shownRow = std::max(0, RowOf(shownPage));
    const int width = two ? 2 * column + 3 * gap : column + 2 * gap;
    if (m_continuous || m_rows.empty()) {
        m_content = QSize(width, y);
    } else {
        m_content = QSize(width, m_rows[size_t(m_shownRow)].height + 2 * gap);
    }
}

QRect PageLayout::PageRect(int page) const {
    if (page < 0 || page >= PageCount()) {
        return QRect();
    }
    return m_pages[size_t(page)];
}

int PageLayout::RowOf(int page) const {
    if (page < 0 || page >= PageCount()) {
        return -1;
    }
    return m_rowOf[size_t(page)];
}

std::pair<int, int> PageLayout::PagesOfRow(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {-1, -1};
    }
    return {m_rows[size_t(row)].first, m_rows[size_t(row)].last};
}

int PageLayout::RowTop(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[size_t(row)].top : 0;
}

bool PageLayout::IsShown(int page) const {
    return RowOf(page) >= 0 && (m_continuous || RowOf(page) == m_shownRow);
}

int PageLayout::RowAt(int y) const {
    if (m_rows.empty()) {
        return 0;
    }
    if (!m_continuous) {
        return m_shownRow;
    }
    const auto row =
        std::upper_bound(m_rows.begin(), m_rows.end(), y,
                         [this](int at, const Row& r) { return at < r.top + r.height + m_gap; });
    return std::clamp(int(row - m_rows.begin()), 0, RowCount() - 1);
}

std::pair<int, int> PageLayout::PagesBetween(int top, int bottom) const {
    if (m_rows.empty()) {
        return {-1, -1};
    }
    return {PagesOfRow(RowAt(top)).first, PagesOfRow(RowAt(bottom)).second};
}

int PageLayout::PageAt(QPoint point) const {
    if (m_rows.empty()) {
        return -1;
    }
    const auto [first, last] = PagesOfRow(RowAt(point.y()));
    for (int page = first; page <= last; ++page) {
        if (m_pages[size_t(page)].contains(point)) {
            return page;
        }
    }
    return -1;
}

double PageLayout::FitScale(const std::vector<QSizeF>& points, int quarterTurns,
                            LayoutOptions options, QSize area, int gap, bool wholePage, int page) {
    const bool two = TwoPages(options);
    // The pages of `page`'s row.
    int first = 0;
    int last = int(points.size()) - 1;
    const std::vector<int> starts = RowStarts(static_cast<int>(points.size()), options);
    if (!starts.empty()) {
        const int at = std::clamp(page, 0, int(points.size()) - 1);
        const size_t r =
            size_t(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin() - 1);
        first = starts[r];
        last = r + 1 < starts.size() ? starts[r + 1] - 1 : int(points.size()) - 1;
    }
    // Scrolling through everything, one zoom fits the widest page of all; a row at a time,
    // each row is fitted on its own.
    const int from = options.continuous ? 0 : first;
    const int to = options.continuous ? int(points.size()) - 1 : last;
    double widest = 1;
    for (int i = from; i <= to; ++i) {
        widest = std::max(widest, RotatedSize(points[size_t(i)], quarterTurns).width());
    }
    // Two columns rounded each on their own may come out a pixel wider than the room; a
    // pixel less keeps the sideways scroll bar away.
    const double room = std::max(1, area.width() - (two ? 3 * gap + 1 : 2 * gap));
    double scale = room / ((two ? 2 : 1) * widest);
    if (wholePage && !starts.empty()) {
        double tallest = 1;
        for (int i = first; i <= last; ++i) {
            tallest = std::max(tallest, RotatedSize(points[size_t(i)], quarterTurns).height());
        }
        scale = std::min(scale, std::max(1, area.height() - 2 * gap) / tallest);
    }
    return std::max(scale, 1e-6);
}

} // namespace pdfeditor
