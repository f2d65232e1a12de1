#include "pdf_ocr.h"

#include "page_content.h"

#include <win32/trace.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

bool IsDrivePath(const char* path) {
    const char drive = path[0];
    return ((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) && path[1] == ':' &&
           (path[2] == '\\' || path[2] == '/');
}

// The system hands over Windows paths in its ANSI code page (Z:\... for host files, C:\...
// inside its prefix): those are opened through the win32 layer, which maps them as it does for
// the caller. Anything else is taken as a host path.
FILE* OpenPdf(const char* path) {
    if (!IsDrivePath(path)) {
        return std::fopen(path, "rb");
    }
    const int count = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (count <= 0) {
        return nullptr;
    }
    std::wstring wide(static_cast<size_t>(count), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), count) != count) {
        return nullptr;
    }
    return _wfopen(wide.c_str(), L"rb");
}

} // namespace

CPdfOcr::CPdfOcr() noexcept = default;

CPdfOcr::~CPdfOcr() = default;

bool CPdfOcr::IsImagePdf(const char* path, const char* range, const char*) noexcept {
    if (!path || !*path) {
        return false;
    }
    try {
        FILE* file = OpenPdf(path);
        if (!file) {
            return false;
        }
        std::string reason;
        const ocr::ImagePdfAnswer answer =
            ocr::InspectPages(file, path, range ? range : "", &reason);
        std::fclose(file);
        if (answer == ocr::ImagePdfAnswer::Unreadable) {
            win32::Trace("ocr", "%s: %s", path, reason.c_str());
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
