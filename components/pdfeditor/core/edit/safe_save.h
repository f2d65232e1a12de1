// Writing a document's bytes to its file so that no failure ever leaves a torn or half-written
// file: the bytes go to a new file beside the target, are flushed to the disk, opened again and
// their first page rendered as a check, and only then swapped in with one rename. The file the
// target held before is kept beside it as "<name>.bak" until the next successful save.
#pragma once

#include <QByteArray>

#include <optional>
#include <string>

namespace pdfeditor {

// What identifies a file's version on disk, to notice another program changing it.
struct FileStamp {
    unsigned long long size = 0;
    long long modifiedNs = 0;
    unsigned long long inode = 0;
    bool operator==(const FileStamp&) const = default;
};

// Nothing for a path that does not exist or cannot be examined.
std::optional<FileStamp> StampOf(const std::string& hostPath);

enum class SaveFailure {
    None,
    ChangedOnDisk, // the target is not the version the document was opened from
    CannotWrite,   // the folder does not take new files (read-only, no permission, missing)
    DiskFull,      // no room for the whole file
    CheckFailed,   // the written file did not open again or its first page did not render
    CannotReplace, // the swap itself failed
};

struct SaveResult {
    SaveFailure failure = SaveFailure::None;
    std::string detail; // the system's reason, for the trace and the message
    FileStamp stamp;    // of the new file, after a success
};

// Saves `bytes` (a PDF of `pageCount` pages, opened with `password`) to `hostPath`. With an
// `expected` stamp the target must still be that version (or be missing when expected is
// nothing and the target is new). On any failure the target is exactly as it was.
SaveResult SaveFileSafely(const QByteArray& bytes, const std::string& hostPath,
                          const std::string& password, int pageCount,
                          const std::optional<FileStamp>& expected);

// The path the previous version is kept at.
std::string BackupPathFor(const std::string& hostPath);

} // namespace pdfeditor
