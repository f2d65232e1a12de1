#include "internal.h"

#include "win32/com.h"
#include "win32/shlobj.h"

#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <string>

namespace {

std::string Home() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a shell-style line holding "$HOME/..." or an
// absolute path. Anything else falls back to $HOME/Documents, as xdg-user-dirs does.
std::string DocumentsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string dirs =
        (config && *config ? std::string(config) : Home() + "/.config") + "/user-dirs.dirs";
    std::ifstream in(dirs);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line.compare(at, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(at + key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = Home() + value.substr(5);
        }
        if (!value.empty() && value[0] == '/') {
            return value;
        }
    }
    return Home() + "/Documents";
}

std::wstring DriveCFolder(const wchar_t* rest) {
    return std::wstring(L"C:\\") + rest;
}

// Windows form of a folder, or empty when it is not one we know.
std::wstring FolderFor(REFKNOWNFOLDERID id) {
    if (id == FOLDERID_Documents) {
        return win32::ToWindowsPath(DocumentsFolder());
    }
    if (id == FOLDERID_PublicDocuments) {
        return DriveCFolder(L"Users\\Public\\Documents");
    }
    if (id == FOLDERID_ProgramData) {
        return DriveCFolder(L"ProgramData");
    }
    return {};
}

} // namespace

extern "C" {

HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD, HANDLE, PWSTR* ppszPath) {
    if (!ppszPath) {
        return E_INVALIDARG;
    }
    *ppszPath = nullptr;
    std::wstring folder = FolderFor(rfid);
    if (folder.empty()) {
        return E_INVALIDARG;
    }
    auto* out = static_cast<PWSTR>(CoTaskMemAlloc((folder.size() + 1) * sizeof(WCHAR)));
    if (!out) {
        return E_OUTOFMEMORY;
    }
    std::wmemcpy(out, folder.c_str(), folder.size() + 1);
    *ppszPath = out;
    return S_OK;
}

HRESULT WINAPI SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR pszPath) {
    if (!pszPath) {
        return E_INVALIDARG;
    }
    std::wstring folder;
    switch (csidl & ~CSIDL_FLAG_CREATE) {
    case CSIDL_PERSONAL:
        folder = FolderFor(FOLDERID_Documents);
        break;
    case CSIDL_COMMON_DOCUMENTS:
        folder = FolderFor(FOLDERID_PublicDocuments);
        break;
    case CSIDL_COMMON_APPDATA:
        folder = FolderFor(FOLDERID_ProgramData);
        break;
    case CSIDL_APPDATA:
        folder = DriveCFolder(L"users\\user\\AppData\\Roaming");
        break;
    case CSIDL_LOCAL_APPDATA:
        folder = DriveCFolder(L"users\\user\\AppData\\Local");
        break;
    default:
        pszPath[0] = 0;
        return E_INVALIDARG;
    }
    if (folder.size() >= MAX_PATH) {
        pszPath[0] = 0;
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    std::wmemcpy(pszPath, folder.c_str(), folder.size() + 1);
    return S_OK;
}

} // extern "C"
