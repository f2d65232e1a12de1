#include "destination.h"

#include <poppler-qt6.h>

#include <algorithm>

namespace pdfeditor {

Destination FromPoppler(const Poppler::LinkDestination& destination, int pageCount) {
    Destination place;
    const int page = destination.pageNumber() - 1;
    if (page < 0 || page >= pageCount) {
        return place;
    }
    place.page = page;
    if (destination.isChangeTop()) {
        place.top = std::clamp(destination.top(), 0.0, 1.0);
    }
    if (destination.isChangeLeft()) {
        place.left = std::clamp(destination.left(), 0.0, 1.0);
    }
    return place;
}

} // namespace pdfeditor
