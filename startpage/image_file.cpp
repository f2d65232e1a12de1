#include "image_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace startpage {

namespace {

bool StartsWith(const std::vector<unsigned char>& bytes, const char* signature, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

bool EndsWith(const std::vector<unsigned char>& bytes, const char* marker, size_t length) {
    return bytes.size() >= length &&
           std::memcmp(bytes.data() + bytes.size() - length, marker, length) == 0;
}

// Logos and head images are small; anything larger is not one.
constexpr long kLargestImage = 16 * 1024 * 1024;

} // namespace

bool IsReadableImageFile(const std::wstring& path) {
    FILE* file = nullptr;
    if (path.empty() || _wfopen_s(&file, path.c_str(), L"rb") != 0 || !file) {
        return false;
    }
    std::vector<unsigned char> bytes;
    bool readable = std::fseek(file, 0, SEEK_END) == 0;
    const long size = readable ? std::ftell(file) : -1;
    readable = size > 0 && size <= kLargestImage && std::fseek(file, 0, SEEK_SET) == 0;
    if (readable) {
        bytes.resize(static_cast<size_t>(size));
        readable = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    if (!readable) {
        return false;
    }
    // A download cut short keeps its signature but loses its end, so both are checked.
    if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) {
        return EndsWith(bytes, "IEND\xae\x42\x60\x82", 8);
    }
    if (StartsWith(bytes, "\xff\xd8\xff", 3)) {
        return EndsWith(bytes, "\xff\xd9", 2);
    }
    if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6)) {
        return EndsWith(bytes, "\x3b", 1);
    }
    if (StartsWith(bytes, "BM", 2) && bytes.size() >= 6) {
        const unsigned long declared = bytes[2] | (bytes[3] << 8) | (bytes[4] << 16) |
                                       (static_cast<unsigned long>(bytes[5]) << 24);
        return declared <= bytes.size();
    }
    return false;
}

} // namespace startpage
