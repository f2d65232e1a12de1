// Rendered page images, kept within a byte budget: the least recently used go first. A page is
// cached per rendered width in device pixels, so that a zoom never shows a stale size as if it
// were current. UI thread only.
#pragma once

#include <QImage>

#include <list>
#include <map>
#include <utility>

namespace pdfeditor {

class PageCache {
public:
    explicit PageCache(qint64 budgetBytes) : m_budget(budgetBytes) {}

    // Keeps the image, dropping the least recently used ones until the total fits the budget.
    // The newest image stays even when it alone is larger than the budget, so that the page on
    // screen can always be painted.
    void Insert(int page, int width, QImage image);
    // The image of the page at exactly this width, or null; a hit counts as a use.
    const QImage* Find(int page, int width);
    // Any image of the page (the most recently used), for painting scaled while the right
    // width renders; not counted as a use. Null when there is none.
    const QImage* FindAnyWidth(int page) const;
    void Clear();
    // The page changed: no image of it is current any more, but its most recent one is still
    // found by FindAnyWidth, to paint until the new one is in.
    void MarkStale(int page);

    qint64 Bytes() const { return m_bytes; }
    qint64 Budget() const { return m_budget; }
    int Count() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry {
        int page;
        int width;
        QImage image;
    };
    using Key = std::pair<int, int>;

    std::list<Entry> m_entries; // most recently used first
    std::map<Key, std::list<Entry>::iterator> m_index;
    qint64 m_budget;
    qint64 m_bytes = 0;
};

} // namespace pdfeditor
