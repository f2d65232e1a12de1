#include "internal.h"

#include "win32/file_replace.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// fsync works on the file, whichever descriptor asks, so data written through a stream that
// has been closed already is flushed by reopening the path.
bool SyncPath(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

extern "C" BOOL WINAPI ReplaceFileW(LPCWSTR lpReplacedFileName, LPCWSTR lpReplacementFileName,
                                    LPCWSTR lpBackupFileName, DWORD, LPVOID, LPVOID) {
    if (!lpReplacedFileName || !lpReplacementFileName) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    std::string replaced = win32::ToHostPath(lpReplacedFileName);
    std::string replacement = win32::ToHostPath(lpReplacementFileName);
    if (replaced.empty() || replacement.empty()) {
        return win32::Fail(ERROR_PATH_NOT_FOUND);
    }
    struct stat replacedInfo {};
    if (::stat(replaced.c_str(), &replacedInfo) != 0) {
        return win32::FailWithErrno();
    }
    struct stat replacementInfo {};
    if (::stat(replacement.c_str(), &replacementInfo) != 0) {
        return win32::FailWithErrno();
    }
    if (S_ISDIR(replacedInfo.st_mode) || S_ISDIR(replacementInfo.st_mode)) {
        return win32::Fail(ERROR_ACCESS_DENIED);
    }
    // Whoever could use the old file can use the new one.
    ::chmod(replacement.c_str(), replacedInfo.st_mode & 07777);
    if (!SyncPath(replacement, O_RDONLY)) {
        return win32::Fail(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    }
    if (lpBackupFileName && *lpBackupFileName) {
        std::string backup = win32::ToHostPath(lpBackupFileName);
        if (backup.empty()) {
            return win32::Fail(ERROR_PATH_NOT_FOUND);
        }
        ::unlink(backup.c_str());
        if (::link(replaced.c_str(), backup.c_str()) != 0) {
            return win32::Fail(ERROR_UNABLE_TO_REMOVE_REPLACED);
        }
    }
    if (::rename(replacement.c_str(), replaced.c_str()) != 0) {
        DWORD error = errno == EACCES || errno == EPERM ? ERROR_UNABLE_TO_REMOVE_REPLACED
                                                        : ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        return win32::Fail(error);
    }
    SyncPath(ParentOf(replaced), O_RDONLY | O_DIRECTORY);
    return TRUE;
}
