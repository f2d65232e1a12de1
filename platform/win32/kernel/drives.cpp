#include "internal.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#ifndef WIN32_APP_NAME
#define WIN32_APP_NAME "win32"
#endif

namespace win32 {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}

std::string CurrentFolder() {
    std::error_code ec;
    auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string("/") : cwd.string();
}

// Removes "." and ".." components and doubled slashes without touching the file system, so
// that C:\a\..\b never climbs out of the prefix.
std::string Normalise(const std::string& root, const std::string& rest) {
    std::string out = root;
    size_t i = 0;
    while (i <= rest.size()) {
        size_t slash = rest.find('/', i);
        if (slash == std::string::npos) {
            slash = rest.size();
        }
        std::string part = rest.substr(i, slash - i);
        i = slash + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            size_t cut = out.find_last_of('/');
            if (out.size() > root.size() && cut != std::string::npos && cut >= root.size()) {
                out.erase(cut);
            }
            continue;
        }
        out += '/';
        out += part;
    }
    return out.empty() ? std::string("/") : out;
}

} // namespace

std::string DriveCRoot() {
    std::string root;
    const char* forced = std::getenv("WIN32_DRIVE_C");
    if (forced && *forced) {
        root = forced;
    } else {
        const char* data = std::getenv("XDG_DATA_HOME");
        std::string base = data && *data ? data : HomeFolder() + "/.local/share";
        root = base + "/" WIN32_APP_NAME "/drive_c";
    }
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    return root;
}

std::string ToHostPath(std::wstring_view path) {
    if (path.empty()) {
        return {};
    }
    std::string rest = WideToUtf8(path);
    for (char& ch : rest) {
        if (ch == '\\') {
            ch = '/';
        }
    }
    // The long-path prefix \\?\ changes nothing here.
    if (rest.rfind("//?/", 0) == 0) {
        rest.erase(0, 4);
    }
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
        std::string tail = rest.substr(2);
        std::string root;
        if (drive == 'C') {
            root = DriveCRoot();
        } else if (drive == 'Z') {
            root = "";
        } else {
            return {};
        }
        return Normalise(root, tail);
    }
    if (rest.rfind("//", 0) == 0) {
        return {}; // UNC paths name no drive of ours
    }
    if (!rest.empty() && rest[0] == '/') {
        return Normalise("", rest); // rooted: the current drive, which is Z:
    }
    std::string cwd = CurrentFolder();
    return Normalise("", cwd + "/" + rest);
}

std::wstring ToWindowsPath(std::string_view hostPath) {
    std::string path(hostPath);
    if (path.empty() || path[0] != '/') {
        path = CurrentFolder() + "/" + path;
    }
    path = Normalise("", path);
    std::string root = DriveCRoot();
    std::string win;
    if (path == root || path.rfind(root + "/", 0) == 0) {
        win = "C:" + path.substr(root.size());
        if (win == "C:") {
            win += '/';
        }
    } else {
        win = "Z:" + path;
    }
    for (char& ch : win) {
        if (ch == '/') {
            ch = '\\';
        }
    }
    return Utf8ToWide(win);
}

} // namespace win32
