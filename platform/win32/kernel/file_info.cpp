#include "files_internal.h"
#include "internal.h"

#include "win32/text.h"

#include <cerrno>
#include <clocale>
#include <cwctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace win32 {

namespace {

constexpr int64_t kEpochDifference = 11644473600LL; // seconds from 1601 to 1970

int64_t Nanoseconds(const struct statx_timestamp& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

} // namespace

int QueryHostFile(int dirFd, const char* name, HostFileInfo& info) {
    struct statx sx {};
    unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (::statx(dirFd, name, AT_STATX_SYNC_AS_STAT, mask, &sx) != 0) {
        int err = errno;
        if (err != ENOENT ||
            ::statx(dirFd, name, AT_STATX_SYNC_AS_STAT | AT_SYMLINK_NOFOLLOW, mask, &sx) != 0) {
            return err;
        }
    }
    info.directory = S_ISDIR(sx.stx_mode);
    info.readOnly = (sx.stx_mode & S_IWUSR) == 0 && !S_ISLNK(sx.stx_mode);
    info.size = info.directory ? 0 : sx.stx_size;
    info.accessTime = Nanoseconds(sx.stx_atime);
    info.writeTime = Nanoseconds(sx.stx_mtime);
    info.creationTime = (sx.stx_mask & STATX_BTIME) ? Nanoseconds(sx.stx_btime) : info.writeTime;
    return 0;
}

DWORD AttributesOf(const HostFileInfo& info) {
    DWORD attributes = info.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (info.readOnly) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes;
}

FILETIME ToFileTime(int64_t unixNanoseconds) {
    int64_t ticks = unixNanoseconds / 100 + kEpochDifference * 10000000LL;
    if (ticks < 0) {
        ticks = 0;
    }
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return time;
}

std::string HostParent(const std::string& hostPath) {
    size_t slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : hostPath.substr(0, slash);
}

DWORD ErrorForPath(const std::string& hostPath, int err) {
    if (err == ENOTDIR) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (err != ENOENT) {
        return ErrorFromErrno(err);
    }
    struct stat parent {};
    std::string folder = HostParent(hostPath);
    bool folderExists = ::stat(folder.c_str(), &parent) == 0 && S_ISDIR(parent.st_mode);
    return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

bool IsDriveRoot(const std::string& hostPath) {
    return hostPath == "/" || hostPath == DriveCRoot();
}

std::wstring AnsiToWide(const char* text) {
    if (!text || !*text) {
        return {};
    }
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::vector<WCHAR> wide(static_cast<size_t>(length));
    length = MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    return length > 0 ? std::wstring(wide.data()) : std::wstring();
}

std::string WideToAnsi(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    int count = static_cast<int>(text.size());
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string narrow(static_cast<size_t>(length), '\0');
    length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), count, narrow.data(), length, nullptr, nullptr);
    return length > 0 ? narrow : std::string();
}

void SyncFolder(const std::string& hostFolder) {
    int fd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace win32
