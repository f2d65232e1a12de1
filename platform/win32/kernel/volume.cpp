// Volume information for the drive roots.
#include "internal.h"

#include "win32/system.h"

#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr wchar_t kFileSystemName[] = L"NTFS";

bool IsSlash(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// The root to look at, in "X:\" form, or a Windows error code.
DWORD ResolveRoot(LPCWSTR root, std::wstring& out) {
    if (!root) {
        std::wstring here = win32::ToWindowsPath(".");
        if (here.size() < 3) {
            return ERROR_PATH_NOT_FOUND;
        }
        out = here.substr(0, 2) + L"\\";
        return ERROR_SUCCESS;
    }
    std::wstring path = root;
    if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])) {
        return ERROR_PATH_NOT_FOUND; // no network shares here
    }
    if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != L':') {
        return ERROR_INVALID_NAME;
    }
    if (path.size() == 2 || !IsSlash(path.back())) {
        return ERROR_INVALID_NAME;
    }
    if (path.size() > 3) {
        return ERROR_DIR_NOT_ROOT;
    }
    out = path.substr(0, 2) + L"\\";
    return ERROR_SUCCESS;
}

DWORD Fold(unsigned long long value) {
    return static_cast<DWORD>(value ^ (value >> 32));
}

// The file system's id is what tells volumes apart; file systems that report none fall back on
// the device number, which is stable as long as the file system stays mounted.
DWORD SerialOf(const struct statvfs& fs, const struct stat& st) {
    DWORD serial = Fold(fs.f_fsid);
    return serial != 0 ? serial : Fold(st.st_dev);
}

bool Fits(DWORD size, const wchar_t* text) {
    return win32::WideLength(text) + 1 <= size;
}

void Copy(LPWSTR buffer, const wchar_t* text) {
    size_t i = 0;
    for (; text[i]; ++i) {
        buffer[i] = text[i];
    }
    buffer[i] = 0;
}

} // namespace

extern "C" BOOL WINAPI GetVolumeInformationW(LPCWSTR lpRootPathName, LPWSTR lpVolumeNameBuffer,
                                             DWORD nVolumeNameSize, LPDWORD lpVolumeSerialNumber,
                                             LPDWORD lpMaximumComponentLength,
                                             LPDWORD lpFileSystemFlags,
                                             LPWSTR lpFileSystemNameBuffer,
                                             DWORD nFileSystemNameSize) {
    std::wstring root;
    DWORD error = ResolveRoot(lpRootPathName, root);
    if (error != ERROR_SUCCESS) {
        return win32::Fail(error);
    }
    std::string host = win32::ToHostPath(root);
    struct statvfs fs {};
    struct stat st {};
    if (host.empty() || statvfs(host.c_str(), &fs) != 0 || stat(host.c_str(), &st) != 0) {
        return win32::Fail(ERROR_PATH_NOT_FOUND);
    }
    if ((lpVolumeNameBuffer && !Fits(nVolumeNameSize, L"")) ||
        (lpFileSystemNameBuffer && !Fits(nFileSystemNameSize, kFileSystemName))) {
        return win32::Fail(ERROR_BAD_LENGTH);
    }
    if (lpVolumeNameBuffer) {
        Copy(lpVolumeNameBuffer, L"");
    }
    if (lpFileSystemNameBuffer) {
        Copy(lpFileSystemNameBuffer, kFileSystemName);
    }
    if (lpVolumeSerialNumber) {
        *lpVolumeSerialNumber = SerialOf(fs, st);
    }
    if (lpMaximumComponentLength) {
        *lpMaximumComponentLength = static_cast<DWORD>(fs.f_namemax);
    }
    if (lpFileSystemFlags) {
        DWORD flags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES |
                      FILE_UNICODE_ON_DISK | FILE_PERSISTENT_ACLS;
        if (fs.f_flag & ST_RDONLY) {
            flags |= FILE_READ_ONLY_VOLUME;
        }
        *lpFileSystemFlags = flags;
    }
    return TRUE;
}
