#include "page_tiles.h"

#include <algorithm>

namespace pdfeditor {

std::vector<QRect> PageTiles::Cover(const QRect& visible, const QSize& full) {
    std::vector<QRect> tiles;
    const QRect part = visible.intersected(QRect(QPoint(0, 0), full));
    if (part.isEmpty()) {
        return tiles;
    }
    for (int y = part.top() / kSide * kSide; y <= part.bottom(); y += kSide) {
        for (int x = part.left() / kSide * kSide; x <= part.right(); x += kSide) {
            tiles.push_back(QRect(x, y, kSide, kSide).intersected(QRect(QPoint(0, 0), full)));
        }
    }
    return tiles;
}

void PageTiles::Insert(int page, int width, const QRect& region, QImage image) {
    m_tiles[Key{page, width, region.x(), region.y()}] = {region, std::move(image)};
}

bool PageTiles::Has(int page, int width, const QRect& region) const {
    return m_tiles.count(Key{page, width, region.x(), region.y()}) > 0;
}

std::vector<std::pair<QRect, const QImage*>> PageTiles::Of(int page, int width) const {
    std::vector<std::pair<QRect, const QImage*>> tiles;
    for (auto it = m_tiles.lower_bound(Key{page, width, -1, -1});
         it != m_tiles.end() && std::get<0>(it->first) == page && std::get<1>(it->first) == width;
         ++it) {
        tiles.emplace_back(it->second.first, &it->second.second);
    }
    return tiles;
}

void PageTiles::KeepOnly(const std::map<int, int>& widthOfPage) {
    for (auto it = m_tiles.begin(); it != m_tiles.end();) {
        const auto wanted = widthOfPage.find(std::get<0>(it->first));
        const bool keep = wanted != widthOfPage.end() && wanted->second == std::get<1>(it->first);
        it = keep ? std::next(it) : m_tiles.erase(it);
    }
}

void PageTiles::ClearPage(int page) {
    for (auto it = m_tiles.begin(); it != m_tiles.end();) {
        it = std::get<0>(it->first) == page ? m_tiles.erase(it) : std::next(it);
    }
}

qint64 PageTiles::Bytes() const {
    qint64 bytes = 0;
    for (const auto& [key, tile] : m_tiles) {
        bytes += tile.second.sizeInBytes();
    }
    return bytes;
}

} // namespace pdfeditor
