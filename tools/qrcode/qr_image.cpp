#include "qr_image.h"

#include <png.h>
#include <qrencode.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace qrcode {
namespace {

struct QrDeleter {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

// libpng reports errors by longjmp; everything that needs destroying lives outside the jump
// region (in WriteQrPng), so nothing is skipped.
bool WriteRows(png_structp png, png_infop info, const std::vector<std::vector<png_byte>>& rows,
               FILE* out, int side) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, side, side, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (const auto& row : rows) {
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool WriteQrPng(const std::string& text, int moduleSize, FILE* out, std::string* error) {
    if (text.empty()) {
        *error = "the text is empty";
        return false;
    }
    if (moduleSize < 1 || moduleSize > kMaxModuleSize) {
        *error = "the module size must be 1 to " + std::to_string(kMaxModuleSize);
        return false;
    }
    // A text with a zero byte cannot be handed over whole; the code would say less than asked.
    if (text.find('\0') != std::string::npos) {
        *error = "the text contains a zero byte";
        return false;
    }
    errno = 0;
    std::unique_ptr<QRcode, QrDeleter> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1));
    if (!code) {
        *error = errno == ERANGE ? "the text is too long for a QR code"
                                 : std::string("encoding failed: ") + std::strerror(errno);
        return false;
    }

    const int modules = code->width + 2 * kMargin;
    const int side = modules * moduleSize;
    // One bit per pixel, 1 = white.
    std::vector<std::vector<png_byte>> rows(side, std::vector<png_byte>((side + 7) / 8, 0xFF));
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (!(code->data[y * code->width + x] & 1)) {
                continue;
            }
            for (int dy = 0; dy < moduleSize; ++dy) {
                auto& row = rows[(y + kMargin) * moduleSize + dy];
                for (int dx = 0; dx < moduleSize; ++dx) {
                    const int px = (x + kMargin) * moduleSize + dx;
                    row[px / 8] &= static_cast<png_byte>(~(0x80 >> (px % 8)));
                }
            }
        }
    }

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && WriteRows(png, info, rows, out, side);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!written || std::fflush(out) != 0 || std::ferror(out)) {
        *error = "the picture could not be written";
        return false;
    }
    return true;
}

} // namespace qrcode
