// What a PDF's pages carry, read with qpdf: text-showing operators and images.
#pragma once

#include <cstdio>
#include <string>

namespace ocr {

enum class ImagePdfAnswer {
    ImageOnly, // no text on the pages, at least one image
    NotImageOnly,
    Unreadable, // missing, damaged, encrypted, or a malformed range
};

// Looks at the pages `range` selects (see SelectPages) in the open file `file` (left open;
// `name` names it in messages).
// Text counts wherever it is drawn: in the page's content streams and in the form XObjects they
// use, however deeply nested. Images are image XObjects (also nested in forms) and inline
// images. Catches every exception; `reason` gets the library's error text for diagnosis.
ImagePdfAnswer InspectPages(FILE* file, const std::string& name, const std::string& range,
                            std::string* reason);

} // namespace ocr
