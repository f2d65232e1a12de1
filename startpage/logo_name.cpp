#include "logo_name.h"

#include <string_view>

namespace startpage {

std::string LogoFileName(const std::string& address) {
    const size_t slash = address.rfind('/');
    std::string name = slash == std::string::npos ? address : address.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        return std::string();
    }
    for (unsigned char ch : name) {
        if (ch < 0x20 || ch == 0x7F ||
            std::string_view("\\<>:\"|?*").find(static_cast<char>(ch)) != std::string_view::npos) {
            return std::string();
        }
    }
    // Windows drops trailing dots and spaces, so "a.png." would name "a.png" after all.
    if (name.back() == '.' || name.back() == ' ') {
        return std::string();
    }
    // The data directory also holds the configuration file, its backup and its temporaries: a
    // logo must never be written over them.
    std::string lower;
    for (char ch : name) {
        lower += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    }
    if (lower == "config" || lower.rfind("config.", 0) == 0) {
        return std::string();
    }
    return name;
}

} // namespace startpage
