// CPdfOcr: the OCR module's scanned-document test, as the library loads it from "xml.dll".
//
// The library finds three decorated names with GetProcAddress (the win32 layer looks them up
// under their export aliases, see pdf_ocr_exports.cpp) and calls them as member functions on a
// block of kObjectSize bytes it reserves itself: the constructor, IsImagePdf and the virtual
// destructor. The object therefore keeps no state of its own beyond what the compiler adds
// (its virtual table pointer); a static assertion holds it to the block.
//
// Failure: IsImagePdf answers false for anything it cannot read (missing, damaged or encrypted
// file, bad page range); no exception leaves the module. Threading: objects are independent;
// any thread may use its own.
#pragma once

#include <cstddef>

#define PDF_OCR_API __attribute__((visibility("default")))

class CPdfOcr {
public:
    // The size of the block the caller reserves for one object.
    static constexpr std::size_t kObjectSize = 68;

    CPdfOcr() noexcept;
    virtual ~CPdfOcr();

    // True when the pages in `range` carry no text and at least one image. `path` is a file
    // path in the process's ANSI code page: a Windows drive path (opened through the win32
    // layer, as the caller would open it) or else a host path. `range` lists 1-based pages and
    // spans separated by commas ("1-3", "2", "1-2,5"); spans are clipped to the page count and a
    // null or empty range means every page. `reserved` is not read; callers pass null.
    bool IsImagePdf(const char* path, const char* range, const char* reserved) noexcept;
};

static_assert(sizeof(CPdfOcr) <= CPdfOcr::kObjectSize, "CPdfOcr must fit the caller's block");
