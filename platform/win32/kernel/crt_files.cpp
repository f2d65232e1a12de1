// The C runtime's file calls on Windows paths: _wfopen and friends, _wstat64i32.
#include "files_internal.h"
#include "internal.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cwctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct OpenMode {
    int flags = 0;
    bool text = true;
    std::string stdioMode;
};

// Reads a runtime mode: r, w or a, then any of + t b x and the hints c n N S R T. Encodings
// (",ccs=") and delete-on-close ('D') are refused.
bool ParseMode(std::wstring_view mode, OpenMode& out) {
    size_t i = 0;
    while (i < mode.size() && mode[i] == L' ') {
        ++i;
    }
    if (i == mode.size()) {
        return false;
    }
    wchar_t kind = mode[i++];
    switch (kind) {
    case L'r':
        out.flags = O_RDONLY;
        break;
    case L'w':
        out.flags = O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case L'a':
        out.flags = O_WRONLY | O_CREAT | O_APPEND;
        break;
    default:
        return false;
    }
    bool update = false, text = false, binary = false, exclusive = false;
    for (; i < mode.size(); ++i) {
        switch (mode[i]) {
        case L'+':
            if (update) {
                return false;
            }
            update = true;
            break;
        case L't':
        case L'b':
            if (text || binary) {
                return false;
            }
            (mode[i] == L't' ? text : binary) = true;
            break;
        case L'x':
            if (kind != L'w' || exclusive) {
                return false;
            }
            exclusive = true;
            break;
        case L'c':
        case L'n':
        case L'N':
        case L'S':
        case L'R':
        case L'T':
        case L' ':
            break;
        default:
            return false;
        }
    }
    if (update) {
        out.flags = (out.flags & ~O_ACCMODE) | O_RDWR;
    }
    if (exclusive) {
        out.flags |= O_EXCL;
    }
    out.text = !binary;
    out.stdioMode = std::string(1, static_cast<char>(kind)) + (update ? "+" : "");
    return true;
}

// The errno the Windows runtime reports for a host errno.
int RuntimeErrno(int err) {
    switch (err) {
    case ENOTDIR:
    case ENAMETOOLONG:
        return ENOENT;
    case EISDIR:
    case EPERM:
    case EROFS:
        return EACCES;
    default:
        return err;
    }
}

FILE* FailOpen(int err, DWORD error) {
    SetLastError(error);
    errno = err;
    return nullptr;
}

bool HasExecutableExtension(std::wstring_view path) {
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos ||
        path.find_first_of(L"\\/", dot) != std::wstring_view::npos) {
        return false;
    }
    std::wstring ext;
    for (wchar_t ch : path.substr(dot + 1)) {
        ext += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    }
    return ext == L"exe" || ext == L"com" || ext == L"bat" || ext == L"cmd";
}

} // namespace

extern "C" FILE* _wfopen(const wchar_t* filename, const wchar_t* mode) {
    if (!filename || !mode || !*filename) {
        return FailOpen(EINVAL, ERROR_INVALID_PARAMETER);
    }
    OpenMode parsed;
    if (!ParseMode(mode, parsed)) {
        return FailOpen(EINVAL, ERROR_INVALID_PARAMETER);
    }
    std::string host = win32::ToHostPath(filename);
    if (host.empty()) {
        return FailOpen(ENOENT, ERROR_PATH_NOT_FOUND);
    }
    int fd = ::open(host.c_str(), parsed.flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        int err = errno;
        return FailOpen(RuntimeErrno(err), win32::ErrorForPath(host, err));
    }
    // Windows opens no folder as a stream; the host would, and fail on the first read.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return FailOpen(EACCES, ERROR_ACCESS_DENIED);
    }
    FILE* file = parsed.text ? win32::OpenTextStream(fd, parsed.stdioMode.c_str())
                             : ::fdopen(fd, parsed.stdioMode.c_str());
    if (!file) {
        int err = errno;
        ::close(fd);
        return FailOpen(err, win32::ErrorFromErrno(err));
    }
    return file;
}

extern "C" int _wfopen_s(FILE** pFile, const wchar_t* filename, const wchar_t* mode) {
    if (!pFile) {
        errno = EINVAL;
        return EINVAL;
    }
    *pFile = _wfopen(filename, mode);
    if (!*pFile) {
        return errno != 0 ? errno : EINVAL;
    }
    return 0;
}

extern "C" int fopen_s(FILE** pFile, const char* filename, const char* mode) {
    if (!pFile) {
        errno = EINVAL;
        return EINVAL;
    }
    *pFile = nullptr;
    if (!filename || !mode) {
        errno = EINVAL;
        return EINVAL;
    }
    std::wstring wideName = win32::AnsiToWide(filename);
    std::wstring wideMode = win32::Utf8ToWide(mode);
    return _wfopen_s(pFile, wideName.c_str(), wideMode.c_str());
}

extern "C" int _wstat64i32(const wchar_t* path, struct _stat64i32* buffer) {
    if (!path || !buffer) {
        errno = EINVAL;
        return -1;
    }
    std::wstring_view windowsPath = path;
    std::string host = win32::ToHostPath(windowsPath);
    if (host.empty() || windowsPath.find_first_of(L"*?") != std::wstring_view::npos) {
        errno = ENOENT;
        return -1;
    }
    win32::HostFileInfo info;
    if (int err = win32::QueryHostFile(AT_FDCWD, host.c_str(), info); err != 0) {
        errno = RuntimeErrno(err);
        return -1;
    }
    if (info.size > static_cast<uint64_t>(INT32_MAX)) {
        errno = EOVERFLOW;
        return -1;
    }
    unsigned mode = info.directory ? (_S_IFDIR | _S_IEXEC) : _S_IFREG;
    mode |= _S_IREAD;
    if (!info.readOnly) {
        mode |= _S_IWRITE;
    }
    if (!info.directory && HasExecutableExtension(windowsPath)) {
        mode |= _S_IEXEC;
    }
    mode |= (mode & 0700) >> 3; // the runtime repeats the owner's bits for group and others
    mode |= (mode & 0700) >> 6;
    std::wstring drive = win32::ToWindowsPath(host);
    unsigned driveNumber = static_cast<unsigned>(std::towupper(drive[0]) - L'A');

    *buffer = {};
    buffer->st_dev = driveNumber;
    buffer->st_rdev = driveNumber;
    buffer->st_mode = static_cast<unsigned short>(mode);
    buffer->st_nlink = 1;
    buffer->st_size = static_cast<_off_t>(info.size);
    buffer->st_atime = info.accessTime / 1000000000LL;
    buffer->st_mtime = info.writeTime / 1000000000LL;
    buffer->st_ctime = info.creationTime / 1000000000LL;
    return 0;
}
