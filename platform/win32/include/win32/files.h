// Files, folders and drives. Paths are Windows paths: drive C: is the prefix folder, Z: the
// host root (see internal.h for the mapping). A path that no drive maps (another drive letter,
// a UNC path, an empty string) fails with ERROR_PATH_NOT_FOUND. Names are matched with the host
// file system's letter case, except by FindFirstFileW, which matches without regard to case.
//
// Every call may be made from any thread. Failures return the Windows failure value and set the
// last error; successes leave the last error alone unless the call says otherwise.
#pragma once

#include "types.h"

#include <cstdio>

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004
#define MOVEFILE_WRITE_THROUGH 0x00000008
#define MOVEFILE_CREATE_HARDLINK 0x00000010
#define MOVEFILE_FAIL_IF_NOT_TRACKABLE 0x00000020

typedef struct _WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *PWIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;

extern "C" {

// --- attributes and existence --------------------------------------------------------------

// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_ARCHIVE for a file, plus
// FILE_ATTRIBUTE_READONLY when the owner may not write it. INVALID_FILE_ATTRIBUTES and
// ERROR_FILE_NOT_FOUND for a missing name, ERROR_PATH_NOT_FOUND for a missing folder on the way.
WIN32_API DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName);
// The narrow path is in the ANSI code page.
WIN32_API DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);

// --- folders -------------------------------------------------------------------------------

// Creates one folder (not its parents). ERROR_ALREADY_EXISTS when the name exists already (a file
// or a folder), ERROR_PATH_NOT_FOUND when the parent is missing. The security attributes are
// ignored.
WIN32_API BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName,
                                       LPSECURITY_ATTRIBUTES lpSecurityAttributes);

// Removes an empty folder. ERROR_DIR_NOT_EMPTY when it holds anything, ERROR_DIRECTORY for a
// file, ERROR_ACCESS_DENIED for a drive root.
WIN32_API BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName);

// --- files ---------------------------------------------------------------------------------

// Deletes a file. ERROR_ACCESS_DENIED for a folder and for a read-only file.
WIN32_API BOOL WINAPI DeleteFileW(LPCWSTR lpFileName);

// Copies a file with its permissions and last-write time. The target is replaced in one step, so
// a failed copy never leaves a truncated target behind. With bFailIfExists an existing target
// fails with ERROR_FILE_EXISTS. Copying a file onto itself fails with ERROR_SHARING_VIOLATION;
// a folder as source or target, or a read-only target, with ERROR_ACCESS_DENIED.
WIN32_API BOOL WINAPI CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName,
                                BOOL bFailIfExists);

// Renames a file or folder. An existing target fails with ERROR_ALREADY_EXISTS unless
// MOVEFILE_REPLACE_EXISTING is given (a folder is never replaced: ERROR_ACCESS_DENIED). Across
// file systems a file is copied and the source deleted when MOVEFILE_COPY_ALLOWED is given,
// else ERROR_NOT_SAME_DEVICE. MOVEFILE_WRITE_THROUGH returns only after the result is on disk.
// MOVEFILE_DELAY_UNTIL_REBOOT, MOVEFILE_CREATE_HARDLINK and a null target fail with
// ERROR_INVALID_PARAMETER.
WIN32_API BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
WIN32_API BOOL WINAPI MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName);

// --- searching -----------------------------------------------------------------------------

// Starts a search for the names in one folder that match the last part of lpFileName, with the
// Windows wildcard rules ('*', '?', "*.*" for every name, "*." for names without a dot), without
// regard to case. A folder other than a drive root also reports "." and "..". The folder is read
// when the search starts; names come sorted without regard to case. INVALID_HANDLE_VALUE with
// ERROR_FILE_NOT_FOUND when nothing matches, ERROR_PATH_NOT_FOUND when the folder is missing.
// The handle belongs to the caller, who closes it with FindClose.
WIN32_API HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
// FALSE with ERROR_NO_MORE_FILES after the last name; ERROR_INVALID_HANDLE for a handle that is
// not an open search.
WIN32_API BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
WIN32_API BOOL WINAPI FindClose(HANDLE hFindFile);

// --- temporary folder ----------------------------------------------------------------------

// $TMPDIR (else /tmp) in Windows form with a trailing backslash. Returns the length without the
// terminator; when the buffer is too small it writes nothing and returns the size needed,
// terminator included.
WIN32_API DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
// The same in the ANSI code page; lengths count bytes.
WIN32_API DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);

// --- C runtime -----------------------------------------------------------------------------

// C runtime file streams on Windows paths. Text mode (no 'b' in the mode) writes "\n" as
// CR LF and reads CR LF back as "\n", as the Windows runtime does; ftell and fseek count bytes
// of the file. Binary mode passes bytes through. A folder cannot be opened (EACCES). On failure
// errno is set (ENOENT, EACCES, EEXIST, EINVAL for a bad mode) and so is the last error.
WIN32_API FILE* _wfopen(const wchar_t* filename, const wchar_t* mode);
// Returns 0 or the errno value; *pFile is null after a failure.
WIN32_API int _wfopen_s(FILE** pFile, const wchar_t* filename, const wchar_t* mode);
// The narrow path is in the ANSI code page.
WIN32_API int fopen_s(FILE** pFile, const char* filename, const char* mode);

} // extern "C"

// The runtime's status record with 64-bit times and a 32-bit size. The host C library defines
// st_atime, st_mtime and st_ctime as macros for st_atim.tv_sec and so on wherever <sys/stat.h>
// is included; each time is therefore reachable by both spellings, so that code using these
// names compiles the same whatever else it includes.
#pragma push_macro("st_atime")
#pragma push_macro("st_mtime")
#pragma push_macro("st_ctime")
#undef st_atime
#undef st_mtime
#undef st_ctime

typedef unsigned int _dev_t;
typedef unsigned short _ino_t;
typedef int32_t _off_t;

struct _stat64i32 {
    struct Seconds {
        int64_t tv_sec;
    };
    _dev_t st_dev;
    _ino_t st_ino;
    unsigned short st_mode;
    short st_nlink;
    short st_uid;
    short st_gid;
    _dev_t st_rdev;
    _off_t st_size;
    union {
        int64_t st_atime;
        Seconds st_atim;
    };
    union {
        int64_t st_mtime;
        Seconds st_mtim;
    };
    union {
        int64_t st_ctime; // creation time, as on Windows
        Seconds st_ctim;
    };
};

#pragma pop_macro("st_atime")
#pragma pop_macro("st_mtime")
#pragma pop_macro("st_ctime")

#define _S_IFMT 0xF000
#define _S_IFDIR 0x4000
#define _S_IFCHR 0x2000
#define _S_IFREG 0x8000
#define _S_IREAD 0x0100
#define _S_IWRITE 0x0080
#define _S_IEXEC 0x0040

extern "C" {
// Fills *buffer and returns 0, or returns -1 with errno: ENOENT for a missing name (or a name with
// wildcards), EOVERFLOW for a file of 2 GiB or more, whose size does not fit st_size.
WIN32_API int _wstat64i32(const wchar_t* path, struct _stat64i32* buffer);
}
