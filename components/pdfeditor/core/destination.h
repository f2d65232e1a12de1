// A place in a document that the views can go to: a page, and where on it.
#pragma once

namespace Poppler {
class LinkDestination;
}

namespace pdfeditor {

struct Destination {
    int page = -1;    // 0-based; -1 when the destination leads nowhere in this document
    double top = -1;  // 0 at the page's top edge, 1 at its bottom; -1 for "the page's top"
    double left = -1; // likewise across; -1 to keep the view's horizontal position

    bool IsValid() const { return page >= 0; }
    friend bool operator==(const Destination&, const Destination&) = default;
};

// Poppler's destination as a place (its page is 1-based; top and left are already fractions of
// the page, but only where the destination sets them).
Destination FromPoppler(const Poppler::LinkDestination& destination, int pageCount);

} // namespace pdfeditor
