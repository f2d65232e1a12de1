#include "core/edit/safe_save.h"

#include <win32/trace.h>

#include <poppler-qt6.h>

#include <QFileInfo>
#include <QImage>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pdfeditor {

namespace {

SaveResult Fail(SaveFailure failure, const std::string& detail) {
    SaveResult result;
    result.failure = failure;
    result.detail = detail;
    win32::Trace("editor", "save failed: %s", detail.c_str());
    return result;
}

std::string FolderOf(const std::string& hostPath) {
    const size_t slash = hostPath.rfind('/');
    return slash == std::string::npos ? std::string(".") : hostPath.substr(0, slash + 1);
}

bool WriteAll(int fd, const QByteArray& bytes, int* error) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            *error = written < 0 ? errno : ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

// The written file, read back from the disk as another reader would: it opens, has the pages
// the document has, and its first page renders.
bool CheckWritten(const std::string& path, const std::string& password, int pageCount,
                  std::string* why) {
    const QByteArray secret = QByteArray::fromStdString(password);
    std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(QString::fromStdString(path), secret, secret);
    if (!document || document->isLocked()) {
        *why = "the written file does not open";
        return false;
    }
    if (document->numPages() != pageCount) {
        *why = "the written file has " + std::to_string(document->numPages()) + " pages, not " +
               std::to_string(pageCount);
        return false;
    }
    const std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page || page->renderToImage(18, 18).isNull()) {
        *why = "the first page of the written file does not render";
        return false;
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::optional<FileStamp> StampOf(const std::string& hostPath) {
    struct stat info {};
    if (::stat(hostPath.c_str(), &info) != 0) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = static_cast<unsigned long long>(info.st_size);
    stamp.modifiedNs =
        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    stamp.inode = static_cast<unsigned long long>(info.st_ino);
    return stamp;
}

std::string BackupPathFor(const std::string& hostPath) {
    return hostPath + ".bak";
}

SaveResult SaveFileSafely(const QByteArray& bytes, const std::string& hostPath,
                          const std::string& password, int pageCount,
                          const std::optional<FileStamp>& expected) {
    const std::optional<FileStamp> now = StampOf(hostPath);
    if (now != expected) {
        return Fail(SaveFailure::ChangedOnDisk,
                    hostPath + (now ? " changed on disk" : " is gone from the disk"));
    }
    struct stat targetInfo {};
    const bool targetExists = ::stat(hostPath.c_str(), &targetInfo) == 0;

    const std::string folder = FolderOf(hostPath);
    const std::string name = QFileInfo(QString::fromStdString(hostPath)).fileName().toStdString();
    std::string temporary = folder + "." + name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(SaveFailure::CannotWrite, folder + ": " + std::strerror(errno));
    }
    // The new file keeps the old one's permissions (mkostemp makes it private).
    ::fchmod(fd, targetExists ? (targetInfo.st_mode & 07777) : 0644);
    int error = 0;
    const bool written =
        WriteAll(fd, bytes, &error) && (::fsync(fd) == 0 || (error = errno, false));
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return Fail(error == ENOSPC || error == EDQUOT || error == EFBIG ? SaveFailure::DiskFull
                                                                         : SaveFailure::CannotWrite,
                    hostPath + ": " + std::strerror(error));
    }
    std::string why;
    if (!CheckWritten(temporary, password, pageCount, &why)) {
        ::unlink(temporary.c_str());
        return Fail(SaveFailure::CheckFailed, why);
    }
    if (targetExists) {
        // The previous version stays beside it: a second name for the same file, made under a
        // temporary name first so that an older backup is replaced in one step.
        const std::string backup = BackupPathFor(hostPath);
        const std::string backupTemporary = backup + ".new";
        ::unlink(backupTemporary.c_str());
        if (::link(hostPath.c_str(), backupTemporary.c_str()) == 0) {
            ::rename(backupTemporary.c_str(), backup.c_str());
        } else {
            win32::Trace("editor", "save: no backup of %s: %s", hostPath.c_str(),
                         std::strerror(errno));
        }
    }
    if (::rename(temporary.c_str(), hostPath.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return Fail(SaveFailure::CannotReplace, hostPath + ": " + std::strerror(renameError));
    }
    SyncFolder(folder);
    SaveResult result;
    result.stamp = StampOf(hostPath).value_or(FileStamp{});
    return result;
}

} // namespace pdfeditor
