// Helpers shared by the file calls of the layer (attributes, searches, copies, runtime
// streams). Not part of the Windows API.
#pragma once

#include "win32/files.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace win32 {

// What the file calls need to know about a host file. Times are nanoseconds since 1970.
struct HostFileInfo {
    bool directory = false;
    bool readOnly = false; // the owner may not write it: Windows' read-only attribute
    uint64_t size = 0;
    int64_t accessTime = 0;
    int64_t writeTime = 0;
    int64_t creationTime = 0; // the birth time where the file system keeps one, else writeTime
};

// Reads the status of `name` relative to the folder `dirFd` (AT_FDCWD for a path). Symbolic
// links are followed; a dangling link reports itself. Returns 0 or the errno value.
int QueryHostFile(int dirFd, const char* name, HostFileInfo& info);

// The Windows attribute bits of a host file.
DWORD AttributesOf(const HostFileInfo& info);

// Nanoseconds since 1970 as a FILETIME (100 ns units since 1601).
FILETIME ToFileTime(int64_t unixNanoseconds);

// The Windows error for a failed call on `hostPath` with errno `err`: a missing name is
// ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND otherwise.
DWORD ErrorForPath(const std::string& hostPath, int err);

// The folder part of a host path ("/" for a name in the root).
std::string HostParent(const std::string& hostPath);

// True for the host folders that stand for a drive's root (C: and Z:).
bool IsDriveRoot(const std::string& hostPath);

// Narrow text in the ANSI code page to wide text and back.
std::wstring AnsiToWide(const char* text);
std::string WideToAnsi(std::wstring_view text);

// Windows wildcard matching of one name, without regard to case: '*' matches any run, '?' one
// character (or none before a dot or at the end), "*." names without a dot, ".*" an optional
// extension, and "*.*" every name.
bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name);

// Copies a host file to `target` through a temporary file beside it, so that the target is
// either the old file or the complete copy. Keeps the source's permissions and last-write time.
// Returns ERROR_SUCCESS or the Windows error.
DWORD CopyHostFile(const std::string& source, const std::string& target, bool failIfExists,
                   bool writeThrough);

// Wraps an open descriptor in a text-mode stream (CR LF on disk, "\n" in the program) with the
// stdio mode "r", "w", "a", "r+", "w+" or "a+". The stream owns the descriptor from then on;
// null (and the descriptor still the caller's) on failure.
FILE* OpenTextStream(int fd, const char* mode);

// Flushes a folder's entries to disk (after a rename that must survive a crash).
void SyncFolder(const std::string& hostFolder);

} // namespace win32
