#include "pdf_ocr.h"

#include "page_content.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

CPdfOcr::CPdfOcr() noexcept = default;

CPdfOcr::~CPdfOcr() = default;

bool CPdfOcr::IsImagePdf(const char* path, const char* range, const char*) noexcept {
    if (!path || !*path) {
        return false;
    }
    try {
        std::string reason;
        const ocr::ImagePdfAnswer answer = ocr::InspectPages(path, range ? range : "", &reason);
        if (answer == ocr::ImagePdfAnswer::Unreadable && std::getenv("OCR_DEBUG")) {
            std::fprintf(stderr, "ocr: %s: %s\n", path, reason.c_str());
        }
        return answer == ocr::ImagePdfAnswer::ImageOnly;
    } catch (...) {
        return false; // out of memory while building a string; nothing may cross the boundary
    }
}

// The decorated names the library looks up, under the export aliases GetProcAddress tries for
// names an ELF file cannot carry. The caller's calling convention on this platform passes the
// object as the first argument.
extern "C" {

// "??0CPdfOcr@@QAE@XZ"
PDF_OCR_API void* w32_export__3F_3F0CPdfOcr_40_40QAE_40XZ(void* self) {
    return new (self) CPdfOcr();
}

// "?IsImagePdf@CPdfOcr@@QAE_NPBD00@Z"
PDF_OCR_API bool w32_export__3FIsImagePdf_40CPdfOcr_40_40QAE__NPBD00_40Z(void* self,
                                                                         const char* path,
                                                                         const char* range,
                                                                         const char* reserved) {
    return static_cast<CPdfOcr*>(self)->IsImagePdf(path, range, reserved);
}

// "??1CPdfOcr@@UAE@XZ": destroys without freeing; the block is the caller's.
PDF_OCR_API void w32_export__3F_3F1CPdfOcr_40_40UAE_40XZ(void* self) {
    static_cast<CPdfOcr*>(self)->~CPdfOcr();
}

} // extern "C"
