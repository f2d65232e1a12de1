// Helpers shared by the areas of the win32 layer. Not part of the Windows API; nothing above
// the layer includes this header.
#pragma once

#include "win32/types.h"

#include <memory>
#include <string>
#include <string_view>

namespace win32 {

// --- last error ---------------------------------------------------------------------------

// Maps a POSIX errno value to the Windows error code a file or process call would report.
DWORD ErrorFromErrno(int err);

// Sets the last error from errno and returns FALSE, for the common failure path.
BOOL FailWithErrno();

// Sets the last error and returns FALSE.
BOOL Fail(DWORD error);

// Writes every byte to the descriptor, going on after interrupted or partial writes; false on
// any other failure, with errno telling why.
bool WriteAll(int fd, const char* data, size_t size);

// --- text ----------------------------------------------------------------------------------

// Wide text (one code point per unit) to UTF-8. Code points that cannot be encoded (surrogates,
// values above U+10FFFF) become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// UTF-8 to wide text; each invalid sequence becomes one U+FFFD.
std::wstring Utf8ToWide(std::string_view text);

// Length of a zero-terminated wide string, 0 for null.
size_t WideLength(const WCHAR* text);

// --- drives and paths ----------------------------------------------------------------------

// Host folder that stands for drive C:, without a trailing slash. Read from the environment on
// every call (WIN32_DRIVE_C, else $XDG_DATA_HOME/<app>/drive_c), and created when missing.
std::string DriveCRoot();

// Windows path (C:\..., Z:\..., relative, '\' or '/') to a host path. Returns an empty string
// for a path that no drive maps (another drive letter, a UNC path).
std::string ToHostPath(std::wstring_view windowsPath);

// Host path to Windows form: C:\... inside the drive C: prefix, Z:\... elsewhere. A relative
// host path is taken relative to the current directory.
std::wstring ToWindowsPath(std::string_view hostPath);

// --- system ------------------------------------------------------------------------------

// Whether ChangeWindowMessageFilter has put `message` on the process's allowed list; for the
// tests, which have no other way to see a removal.
bool MessageFilterAllows(UINT message);

// --- kernel object handles -----------------------------------------------------------------

// A kernel object held by the handle table. Each kind derives from it.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    DWORD handleFlags = 0;
};

// Registers an object and returns a fresh handle for it (never null, never
// INVALID_HANDLE_VALUE, never reused while the process lives).
HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or null when the handle is not open.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

// Removes a handle from the table; false when it was not open.
bool ReleaseHandle(HANDLE handle);

} // namespace win32
