#include "outline.h"

#include "document.h"

#include <poppler-qt6.h>

namespace pdfeditor {

namespace {

// Deeper than any real outline; a file whose outline loops back on itself stops here.
constexpr int kMaxDepth = 32;

std::vector<OutlineItem> Convert(const QVector<Poppler::OutlineItem>& items, int pageCount,
                                 int depth) {
    std::vector<OutlineItem> converted;
    if (depth > kMaxDepth) {
        return converted;
    }
    for (const Poppler::OutlineItem& item : items) {
        OutlineItem entry;
        entry.title = item.name().simplified();
        entry.open = item.isOpen();
        // Poppler resolves a named destination here already.
        if (const QSharedPointer<const Poppler::LinkDestination> destination = item.destination()) {
            entry.target = FromPoppler(*destination, pageCount);
        }
        if (item.hasChildren()) {
            entry.children = Convert(item.children(), pageCount, depth + 1);
        }
        converted.push_back(std::move(entry));
    }
    return converted;
}

} // namespace

std::vector<OutlineItem> ReadOutline(const Document& document) {
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler) {
        return {};
    }
    return Convert(poppler->outline(), document.PageCount(), 0);
}

} // namespace pdfeditor
