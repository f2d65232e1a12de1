// The sharp parts of pages shown larger than they are rendered whole. Past a size a page is
// rendered whole only at a capped resolution (scaled up on screen); the part of it in view is
// rendered again at full resolution in tiles, so text stays crisp at 1600 % without a picture of
// the whole page at that size. Tiles are kept only for the pages in view at their current width.
// UI thread only.
#pragma once

#include <QImage>
#include <QRect>

#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace pdfeditor {

class PageTiles {
public:
    // A tile's side in device pixels.
    static constexpr int kSide = 512;

    // The tiles (regions of the page at full size `full`, device pixels, (0, 0) at its top
    // left) that cover `visible` (same coordinates), row by row.
    static std::vector<QRect> Cover(const QRect& visible, const QSize& full);

    void Insert(int page, int width, const QRect& region, QImage image);
    bool Has(int page, int width, const QRect& region) const;
    // The page's tiles at this width, with their regions.
    std::vector<std::pair<QRect, const QImage*>> Of(int page, int width) const;
    // Drops every tile but those of the given pages at the given widths.
    void KeepOnly(const std::map<int, int>& widthOfPage);
    void ClearPage(int page);
    void Clear() { m_tiles.clear(); }
    int Count() const { return static_cast<int>(m_tiles.size()); }
    qint64 Bytes() const;

private:
    using Key = std::tuple<int, int, int, int>; // page, width, x, y
    std::map<Key, std::pair<QRect, QImage>> m_tiles;
};

} // namespace pdfeditor
