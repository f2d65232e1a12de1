#include "host_arguments.h"

#include "internal.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace win32 {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ch >= 'a' && ch <= 'f' ? ch - 'a' + 10 : -1;
}

// The local path of a file URI (file:///p, file://localhost/p, file:/p), its escapes decoded.
// Nothing for another host (the file is not on this machine), a broken escape or an escaped
// zero byte, which no host path can hold.
std::optional<std::string> FileUriPath(std::string_view text) {
    if (text.size() < 5 || !EqualsNoCase(text.substr(0, 5), "file:")) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !EqualsNoCase(host, "localhost")) {
            return std::nullopt;
        }
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest[0] != '/') {
        return std::nullopt;
    }
    // File managers escape '?' and '#' in names; bare ones start a query or a fragment.
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
        const int low = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            return std::nullopt;
        }
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return path;
}

bool Exists(const std::string& hostPath) {
    std::error_code ec;
    return std::filesystem::symlink_status(hostPath, ec).type() !=
           std::filesystem::file_type::not_found;
}

bool IsFolder(const std::string& hostPath) {
    std::error_code ec;
    return std::filesystem::is_directory(hostPath, ec);
}

// The host path an argument names, absolute, or nothing when it names none.
std::optional<std::string> HostPathOf(std::string_view arg, const std::string& startFolder) {
    if (arg.empty() || arg[0] == '-') {
        return std::nullopt; // options never become paths, whatever files the folder holds
    }
    if (arg.size() >= 2 && arg[1] == ':' && std::isalpha(static_cast<unsigned char>(arg[0]))) {
        return std::nullopt; // already a Windows path (or a scheme such as "x:")
    }
    if (arg.substr(0, 2) == R"(\\)") {
        return std::nullopt; // a UNC name
    }
    if (arg.find("://") != std::string_view::npos || arg.substr(0, 5) == "file:") {
        return FileUriPath(arg);
    }
    if (arg == "~" || arg.substr(0, 2) == "~/") {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            return std::nullopt;
        }
        return std::string(home) + std::string(arg.substr(1));
    }
    if (arg[0] == '/') {
        // "/a/b" is a path even when it does not exist yet (a file to create); a single name
        // such as "/S" must exist, so that Windows-style switches stay switches.
        std::string_view trimmed = arg;
        while (trimmed.size() > 1 && trimmed.back() == '/') {
            trimmed.remove_suffix(1);
        }
        if (trimmed.find('/', 1) != std::string_view::npos || trimmed == "/" ||
            Exists(std::string(arg))) {
            return std::string(arg);
        }
        return std::nullopt;
    }
    const std::string full = startFolder + "/" + std::string(arg);
    if (arg == "." || arg == ".." || arg.substr(0, 2) == "./" || arg.substr(0, 3) == "../") {
        return full;
    }
    // A bare word is a path only when it names something; "docs/new.pdf" also when its folder
    // is there.
    const size_t slash = arg.rfind('/');
    if (Exists(full) || (slash != std::string_view::npos && slash > 0 &&
                         IsFolder(startFolder + "/" + std::string(arg.substr(0, slash))))) {
        return full;
    }
    return std::nullopt;
}

std::string CurrentHostFolder() {
    std::error_code ec;
    auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string("/") : cwd.string();
}

std::string& StartFolderSlot() {
    static std::string folder = CurrentHostFolder();
    return folder;
}

[[maybe_unused]] const bool kStartFolderTaken = (StartFolderSlot(), true);

} // namespace

std::wstring HostArgumentToWindows(std::string_view argument, const std::string& startFolder) {
    if (auto path = HostPathOf(argument, startFolder)) {
        return ToWindowsPath(*path);
    }
    return Utf8ToWide(argument);
}

const std::string& StartFolder() {
    return StartFolderSlot();
}

} // namespace win32
