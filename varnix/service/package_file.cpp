#include "package_request.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace service {

namespace {

// The ANSI path as the layer's file calls read it. MultiByteToWideChar without flags gives the
// same name as the runtime's narrow calls, so that a file opened one way can be deleted the other.
std::wstring WidePath(const std::string& ansi) {
    if (ansi.empty()) {
        return {};
    }
    int length =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return wide;
}

// The temporary folder, with its trailing backslash; empty when the system has none. Longer than
// MAX_PATH is allowed: host folders under Z: often are.
std::string TempFolder() {
    std::vector<char> buffer(MAX_PATH, '\0');
    DWORD length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.assign(length, '\0');
        length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size()) {
        return {};
    }
    return std::string(buffer.data(), length);
}

void Remove(const std::wstring& path) {
    // Only files: a folder of that name is refused by DeleteFileW and stays.
    DeleteFileW(path.c_str());
}

} // namespace

std::string PlainFileName(const std::string& name) {
    std::string plain = name.substr(0, name.find('\0'));
    size_t separator = plain.find_last_of("\\/");
    if (separator != std::string::npos) {
        plain.erase(0, separator + 1);
    }
    if (plain == "." || plain == "..") {
        return {};
    }
    return plain;
}

std::string PackagePath(const DownloadData& record) {
    std::string name = PlainFileName(record.fileName);
    if (name.empty()) {
        return {};
    }
    std::string folder = record.directory.empty() ? TempFolder() : record.directory;
    if (folder.empty()) {
        return {};
    }
    return folder + name;
}

bool WritePackage(const std::string& path, const Http::Response& response) {
    std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return false;
    }
    int status = response.HttpStatus();
    if (status < 200 || status > 299) {
        // An error page is no package; an older file of that name must not pass for the answer.
        OutputDebugStringA(
            ("download refused with HTTP status " + std::to_string(status) + ": " + path + "\n")
                .c_str());
        Remove(wide);
        return false;
    }
    FILE* file = _wfopen(wide.c_str(), L"wb");
    if (!file) {
        OutputDebugStringA(("cannot create the download " + path + "\n").c_str());
        return false;
    }
    size_t size = response.Size();
    bool complete = std::fwrite(response.MemoryAddr(), 1, size, file) == size;
    complete = std::fclose(file) == 0 && complete;
    if (!complete) {
        OutputDebugStringA(("cannot write the download " + path + "\n").c_str());
        Remove(wide);
    }
    return complete;
}

} // namespace service
