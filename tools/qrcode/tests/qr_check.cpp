#include "qr_check.h"

#include <png.h>
#include <qrencode.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace qrtest {
namespace {

bool ReadRows(png_structp png, png_infop info, FILE* in, Picture* picture) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, in);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_rgb_to_gray_fixed(png, 1, -1, -1);
    png_set_strip_alpha(png);
    png_read_update_info(png, info);
    picture->width = static_cast<int>(png_get_image_width(png, info));
    picture->height = static_cast<int>(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != static_cast<size_t>(picture->width)) {
        return false;
    }
    picture->gray.assign(static_cast<size_t>(picture->width) * picture->height, 0);
    for (int y = 0; y < picture->height; ++y) {
        png_read_row(png, picture->gray.data() + static_cast<size_t>(y) * picture->width, nullptr);
    }
    return true;
}

} // namespace

bool ReadPng(const std::string& path, Picture* picture) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool read = info && ReadRows(png, info, in, picture);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::fclose(in);
    return read;
}

std::vector<std::vector<int>> ExpectedModules(const std::string& text, int margin) {
    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
    if (!code) {
        return {};
    }
    const int side = code->width + 2 * margin;
    std::vector<std::vector<int>> modules(side, std::vector<int>(side, 0));
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            modules[y + margin][x + margin] = code->data[y * code->width + x] & 1;
        }
    }
    QRcode_free(code);
    return modules;
}

std::vector<std::vector<int>> SampledModules(const Picture& picture, int moduleSize) {
    const int side = picture.width / moduleSize;
    std::vector<std::vector<int>> modules(side, std::vector<int>(side, 0));
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int px = x * moduleSize + moduleSize / 2;
            const int py = y * moduleSize + moduleSize / 2;
            modules[y][x] = picture.gray[static_cast<size_t>(py) * picture.width + px] < 128;
        }
    }
    return modules;
}

bool DecodeWithZbar(const std::string& path, bool* decoded, std::string* text) {
    if (std::system("command -v zbarimg >/dev/null 2>&1") != 0) {
        return false;
    }
    // --raw prints the data alone; -Sbinary keeps the bytes as they were encoded instead of
    // letting the decoder guess a character set.
    std::string quoted = "'";
    for (char ch : path) {
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    }
    quoted += "'";
    const std::string command = "zbarimg --quiet --raw -Sbinary " + quoted + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return false;
    }
    std::string output;
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), pipe.get())) > 0) {
        output.append(buffer, count);
    }
    const int status = pclose(pipe.release());
    *decoded = status == 0;
    *text = output;
    return true;
}

bool ShowsCodeOf(const std::string& path, const std::string& text, int moduleSize) {
    Picture picture;
    if (!ReadPng(path, &picture) || picture.width != picture.height ||
        picture.width % moduleSize != 0) {
        return false;
    }
    return SampledModules(picture, moduleSize) == ExpectedModules(text, 4);
}

} // namespace qrtest
