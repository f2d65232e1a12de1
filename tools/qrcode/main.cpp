// qrcode -o FILE.png -s SIZE TEXT
//
// Writes TEXT as a QR-code picture to FILE.png, SIZE pixels per module. FILE may be a host path
// or a drive path (C:\..., Z:\...): the program that starts us hands over Windows paths
// unchanged, so drive paths are opened through the win32 layer, which maps them the same way
// it does for that program. TEXT is one argument; once -o and -s are given, the next argument
// is the text whatever it looks like, so a text such as "-o" cannot be taken for an option.
// Exit code 0 on success; otherwise 1 (bad arguments) or 2 (no picture), with a message on
// stderr and no file left behind.
#include "qr_image.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kBadArguments = 1;
constexpr int kNoPicture = 2;

int Usage(const char* message) {
    std::fprintf(stderr, "qrcode: %s\nusage: qrcode -o FILE.png -s SIZE TEXT\n", message);
    return kBadArguments;
}

bool IsDrivePath(const std::string& path) {
    return path.size() >= 3 &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

std::wstring Wide(const std::string& utf8) {
    const int count =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(count > 0 ? count : 0, L'\0');
    if (count > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            count);
    }
    return wide;
}

FILE* OpenOutput(const std::string& path) {
    return IsDrivePath(path) ? _wfopen(Wide(path).c_str(), L"wb") : std::fopen(path.c_str(), "wb");
}

void RemoveOutput(const std::string& path) {
    if (IsDrivePath(path)) {
        DeleteFileW(Wide(path).c_str());
    } else {
        std::remove(path.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string output;
    std::string size;
    std::string text;
    bool haveText = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (haveText) {
            return Usage("more than one text (quote the text as one argument)");
        }
        const bool optionsDone = !output.empty() && !size.empty();
        if (!optionsDone && (argument == "-o" || argument == "-s")) {
            if (i + 1 >= argc) {
                return Usage("an option is missing its value");
            }
            (argument == "-o" ? output : size) = argv[++i];
            continue;
        }
        if (argument == "--" && i + 1 < argc) {
            ++i;
        }
        text = argv[i];
        haveText = true;
    }
    if (output.empty() || !haveText) {
        return Usage("-o FILE and a text are required");
    }
    int moduleSize = 3; // the size of the usual command-line tools when none is given
    if (!size.empty()) {
        char* end = nullptr;
        const long value = std::strtol(size.c_str(), &end, 10);
        if (*end != '\0' || value < 1 || value > qrcode::kMaxModuleSize) {
            return Usage("-s takes a module size from 1 to 100");
        }
        moduleSize = static_cast<int>(value);
    }

    FILE* out = OpenOutput(output);
    if (!out) {
        std::fprintf(stderr, "qrcode: cannot create %s: %s\n", output.c_str(),
                     std::strerror(errno));
        return kNoPicture;
    }
    std::string error;
    bool written = qrcode::WriteQrPng(text, moduleSize, out, &error);
    if (std::fclose(out) != 0 && written) {
        written = false;
        error = "the picture could not be written";
    }
    if (!written) {
        RemoveOutput(output);
        std::fprintf(stderr, "qrcode: %s\n", error.c_str());
        return kNoPicture;
    }
    return 0;
}
