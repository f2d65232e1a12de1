// Attributes, folders, deleting and the temporary folder.
#include "files_internal.h"
#include "internal.h"

#include "shlwapi.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Maps a Windows path argument; an absent or unmappable path fails like a missing folder.
bool MapPath(LPCWSTR path, std::string& hostPath) {
    hostPath = path ? win32::ToHostPath(path) : std::string();
    if (hostPath.empty()) {
        win32::Fail(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

std::wstring TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::wstring folder = win32::ToWindowsPath(tmp && *tmp ? tmp : "/tmp");
    if (folder.empty() || folder.back() != L'\\') {
        folder += L'\\';
    }
    return folder;
}

} // namespace

extern "C" DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
    std::string host;
    if (!MapPath(lpFileName, host)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    win32::HostFileInfo info;
    if (int err = win32::QueryHostFile(AT_FDCWD, host.c_str(), info); err != 0) {
        SetLastError(win32::ErrorForPath(host, err));
        return INVALID_FILE_ATTRIBUTES;
    }
    return win32::AttributesOf(info);
}

extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    if (!lpFileName) {
        win32::Fail(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return GetFileAttributesW(win32::AnsiToWide(lpFileName).c_str());
}

extern "C" BOOL WINAPI PathFileExistsW(LPCWSTR pszPath) {
    return pszPath && GetFileAttributesW(pszPath) != INVALID_FILE_ATTRIBUTES;
}

extern "C" BOOL WINAPI PathFileExistsA(LPCSTR pszPath) {
    return pszPath && GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}

extern "C" BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string host;
    if (!MapPath(lpPathName, host)) {
        return FALSE;
    }
    if (::mkdir(host.c_str(), 0777) != 0) {
        // Windows names a missing parent a missing path, whatever the last part is.
        return win32::Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                           : win32::ErrorForPath(host, errno));
    }
    return TRUE;
}

extern "C" BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName) {
    std::string host;
    if (!MapPath(lpPathName, host)) {
        return FALSE;
    }
    // Removing the empty prefix folder would take drive C: away with it.
    if (win32::IsDriveRoot(host)) {
        return win32::Fail(ERROR_ACCESS_DENIED);
    }
    struct stat link {};
    if (::lstat(host.c_str(), &link) != 0) {
        return win32::Fail(win32::ErrorForPath(host, errno));
    }
    if (S_ISLNK(link.st_mode)) {
        // A link to a folder is a junction on Windows: removing it leaves the target alone.
        struct stat target {};
        if (::stat(host.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) {
            return win32::Fail(ERROR_DIRECTORY);
        }
        return ::unlink(host.c_str()) == 0 ? TRUE : win32::FailWithErrno();
    }
    if (!S_ISDIR(link.st_mode)) {
        return win32::Fail(ERROR_DIRECTORY);
    }
    if (::rmdir(host.c_str()) != 0) {
        return win32::Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : win32::ErrorFromErrno(errno));
    }
    return TRUE;
}

extern "C" BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
    std::string host;
    if (!MapPath(lpFileName, host)) {
        return FALSE;
    }
    struct stat link {};
    if (::lstat(host.c_str(), &link) != 0) {
        return win32::Fail(win32::ErrorForPath(host, errno));
    }
    bool readOnly = !S_ISLNK(link.st_mode) && (link.st_mode & S_IWUSR) == 0;
    if (S_ISDIR(link.st_mode) || readOnly) {
        return win32::Fail(ERROR_ACCESS_DENIED);
    }
    return ::unlink(host.c_str()) == 0 ? TRUE : win32::FailWithErrno();
}

extern "C" DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
    std::wstring folder = TempFolder();
    DWORD needed = static_cast<DWORD>(folder.size() + 1);
    if (!lpBuffer || nBufferLength < needed) {
        return needed;
    }
    std::memcpy(lpBuffer, folder.c_str(), needed * sizeof(WCHAR));
    return needed - 1;
}

extern "C" DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string folder = win32::WideToAnsi(TempFolder());
    DWORD needed = static_cast<DWORD>(folder.size() + 1);
    if (!lpBuffer || nBufferLength < needed) {
        return needed;
    }
    std::memcpy(lpBuffer, folder.c_str(), needed);
    return needed - 1;
}
