#include "page_cache.h"

namespace pdfeditor {

void PageCache::Insert(int page, int width, QImage image) {
    const Key key{page, width};
    if (auto found = m_index.find(key); found != m_index.end()) {
        m_bytes -= found->second->image.sizeInBytes();
        m_entries.erase(found->second);
        m_index.erase(found);
    }
    m_bytes += image.sizeInBytes();
    m_entries.push_front(Entry{page, width, std::move(image)});
    m_index[key] = m_entries.begin();
    while (m_bytes > m_budget && m_entries.size() > 1) {
        const Entry& oldest = m_entries.back();
        m_bytes -= oldest.image.sizeInBytes();
        m_index.erase(Key{oldest.page, oldest.width});
        m_entries.pop_back();
    }
}

const QImage* PageCache::Find(int page, int width) {
    const auto found = m_index.find(Key{page, width});
    if (found == m_index.end()) {
        return nullptr;
    }
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return &found->second->image;
}

const QImage* PageCache::FindAnyWidth(int page) const {
    for (const Entry& entry : m_entries) {
        if (entry.page == page) {
            return &entry.image;
        }
    }
    return nullptr;
}

void PageCache::MarkStale(int page) {
    bool kept = false;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->page != page) {
            ++it;
            continue;
        }
        m_index.erase(Key{it->page, it->width});
        if (!kept) {
            // The most recently used one, as a stand-in under a width no render asks for.
            kept = true;
            it->width = -1;
            m_index[Key{page, -1}] = it;
            ++it;
        } else {
            m_bytes -= it->image.sizeInBytes();
            it = m_entries.erase(it);
        }
    }
}

void PageCache::Clear() {
    m_entries.clear();
    m_index.clear();
    m_bytes = 0;
}

} // namespace pdfeditor
