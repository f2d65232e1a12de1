// The document's outline (its bookmarks) as the bookmarks pane lists it.
#pragma once

#include "destination.h"

#include <QString>

#include <vector>

namespace pdfeditor {

class Document;

struct OutlineItem {
    QString title;
    Destination target; // invalid for an entry that leads nowhere (or outside the file)
    bool open = false;  // shown expanded at first, as the file asks
    std::vector<OutlineItem> children;
};

// Empty for a document without an outline. UI thread (the document's own).
std::vector<OutlineItem> ReadOutline(const Document& document);

} // namespace pdfeditor
