// CopyFileW and MoveFileExW.
#include "files_internal.h"
#include "internal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace win32 {

namespace {

bool CopyContents(int in, int out) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(got))) {
            return false;
        }
    }
}

// Renames without replacing: fails with EEXIST when the target exists, also when another
// process creates it in between.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // File systems without the flag: a hard link fails on an existing name just the same.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return errno;
    }
    ::unlink(from.c_str());
    return 0;
}

DWORD MissingFolderOr(int err) {
    return err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(err);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now and reports what close reports (a network file system may fail here).
    bool Close() {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

} // namespace

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

DWORD CopyHostFile(const std::string& source, const std::string& target, bool failIfExists,
                   bool writeThrough) {
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0) {
        return ErrorForPath(source, errno);
    }
    struct stat from {};
    if (::fstat(in.Get(), &from) != 0) {
        return ErrorFromErrno(errno);
    }
    if (S_ISDIR(from.st_mode)) {
        return ERROR_ACCESS_DENIED;
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        // Writing a file onto itself would truncate it before reading it.
        if (existing.st_dev == from.st_dev && existing.st_ino == from.st_ino) {
            return ERROR_SHARING_VIOLATION;
        }
        if (failIfExists) {
            return ERROR_FILE_EXISTS;
        }
        if (S_ISDIR(existing.st_mode) || (existing.st_mode & S_IWUSR) == 0) {
            return ERROR_ACCESS_DENIED;
        }
    } else if (errno != ENOENT) {
        return MissingFolderOr(errno);
    }

    std::string temp = HostParent(target) + "/.~copy.XXXXXX";
    FileDescriptor out(::mkostemp(temp.data(), O_CLOEXEC));
    if (out.Get() < 0) {
        return MissingFolderOr(errno);
    }
    bool copied = CopyContents(in.Get(), out.Get());
    int err = errno;
    if (copied) {
        ::fchmod(out.Get(), from.st_mode & 07777);
        struct timespec times[2] = {from.st_atim, from.st_mtim};
        ::futimens(out.Get(), times);
        copied = (!writeThrough || ::fsync(out.Get()) == 0) && out.Close();
        err = errno;
    }
    if (copied) {
        if (failIfExists) {
            err = RenameNoReplace(temp, target);
        } else {
            err = ::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
        }
        copied = err == 0;
    }
    if (!copied) {
        ::unlink(temp.c_str());
        return err == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(err);
    }
    if (writeThrough) {
        SyncFolder(HostParent(target));
    }
    return ERROR_SUCCESS;
}

} // namespace win32

extern "C" BOOL WINAPI CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName,
                                 BOOL bFailIfExists) {
    if (!lpExistingFileName || !lpNewFileName) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    std::string source = win32::ToHostPath(lpExistingFileName);
    std::string target = win32::ToHostPath(lpNewFileName);
    if (source.empty() || target.empty()) {
        return win32::Fail(ERROR_PATH_NOT_FOUND);
    }
    DWORD error = win32::CopyHostFile(source, target, bFailIfExists != FALSE, false);
    return error == ERROR_SUCCESS ? TRUE : win32::Fail(error);
}

extern "C" BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName,
                                   DWORD dwFlags) {
    const DWORD supported =
        MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (!lpExistingFileName || !lpNewFileName || (dwFlags & ~supported) != 0) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    bool replace = dwFlags & MOVEFILE_REPLACE_EXISTING;
    bool writeThrough = dwFlags & MOVEFILE_WRITE_THROUGH;
    std::string source = win32::ToHostPath(lpExistingFileName);
    std::string target = win32::ToHostPath(lpNewFileName);
    if (source.empty() || target.empty()) {
        return win32::Fail(ERROR_PATH_NOT_FOUND);
    }
    struct stat from {};
    if (::lstat(source.c_str(), &from) != 0) {
        return win32::Fail(win32::ErrorForPath(source, errno));
    }
    if (win32::IsDriveRoot(source) || win32::IsDriveRoot(target)) {
        return win32::Fail(ERROR_ACCESS_DENIED);
    }
    if (source == target) {
        return TRUE;
    }
    struct stat existing {};
    bool targetExists = ::lstat(target.c_str(), &existing) == 0;
    if (targetExists) {
        if (!replace) {
            return win32::Fail(ERROR_ALREADY_EXISTS);
        }
        bool readOnly = !S_ISLNK(existing.st_mode) && (existing.st_mode & S_IWUSR) == 0;
        if (S_ISDIR(existing.st_mode) || S_ISDIR(from.st_mode) || readOnly) {
            return win32::Fail(ERROR_ACCESS_DENIED);
        }
    }
    int err = 0;
    if (replace) {
        err = ::rename(source.c_str(), target.c_str()) == 0 ? 0 : errno;
    } else {
        err = win32::RenameNoReplace(source, target);
    }
    if (err == EXDEV) {
        if (!(dwFlags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(from.st_mode)) {
            return win32::Fail(ERROR_NOT_SAME_DEVICE);
        }
        DWORD error = win32::CopyHostFile(source, target, !replace, writeThrough);
        if (error != ERROR_SUCCESS) {
            return win32::Fail(error);
        }
        // The copy stays when the source cannot go: both places hold the data then.
        return ::unlink(source.c_str()) == 0 ? TRUE : win32::FailWithErrno();
    }
    if (err != 0) {
        return win32::Fail(err == EEXIST ? ERROR_ALREADY_EXISTS : win32::MissingFolderOr(err));
    }
    // Two names of one file: rename leaves both, Windows leaves only the new one.
    if (targetExists && existing.st_dev == from.st_dev && existing.st_ino == from.st_ino) {
        ::unlink(source.c_str());
    }
    if (writeThrough) {
        win32::SyncFolder(win32::HostParent(target));
        win32::SyncFolder(win32::HostParent(source));
    }
    return TRUE;
}

extern "C" BOOL WINAPI MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName) {
    return MoveFileExW(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}
