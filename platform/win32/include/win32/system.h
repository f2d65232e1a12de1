// System facts: the computer's name, the system volume, time and ticks, the process's
// bitness, the message filter, debug output and the shell's desktop window. All calls may be
// made from any thread.
#pragma once

#include "types.h"

#define MAX_COMPUTERNAME_LENGTH 15

// ChangeWindowMessageFilter actions.
#define MSGFLT_ADD 1
#define MSGFLT_REMOVE 2

// File-system flags reported by GetVolumeInformationW.
#define FILE_CASE_SENSITIVE_SEARCH 0x00000001
#define FILE_CASE_PRESERVED_NAMES 0x00000002
#define FILE_UNICODE_ON_DISK 0x00000004
#define FILE_PERSISTENT_ACLS 0x00000008
#define FILE_READ_ONLY_VOLUME 0x00080000

extern "C" {
// The NetBIOS form of the host name: up to the first dot, upper-cased, at most 15 characters;
// anything outside printable ASCII becomes '_'.
// *nSize is the buffer size in characters; on success it receives the length without the
// terminator. Too small: FALSE, ERROR_BUFFER_OVERFLOW and *nSize = the size needed.
WIN32_API BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);
WIN32_API BOOL WINAPI GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize);

// Answers for drive roots ("C:\\", "Z:\\"); null means the current folder's drive. The serial
// number is derived from the identity of the file system that holds the drive's folder, so it
// is stable across runs and the same for every folder on that file system. The volume has no
// label and calls itself "NTFS". Every output pointer may be null.
// Fails with ERROR_INVALID_NAME without the trailing backslash, ERROR_DIR_NOT_ROOT for a
// folder below the root, ERROR_PATH_NOT_FOUND for a drive that does not exist and
// ERROR_BAD_LENGTH when a name buffer is too small.
WIN32_API BOOL WINAPI GetVolumeInformationW(LPCWSTR lpRootPathName, LPWSTR lpVolumeNameBuffer,
                                            DWORD nVolumeNameSize, LPDWORD lpVolumeSerialNumber,
                                            LPDWORD lpMaximumComponentLength,
                                            LPDWORD lpFileSystemFlags,
                                            LPWSTR lpFileSystemNameBuffer,
                                            DWORD nFileSystemNameSize);

// Local time (the TZ rules of the host) and UTC, with milliseconds.
WIN32_API void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
WIN32_API void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
// Milliseconds since the system started; the 32-bit form wraps after 49.7 days.
WIN32_API DWORD WINAPI GetTickCount();
WIN32_API ULONGLONG WINAPI GetTickCount64();
// Sleep(0) gives up the rest of the time slice; INFINITE never returns.
WIN32_API void WINAPI Sleep(DWORD dwMilliseconds);

// The process is a native 64-bit one: TRUE with *Wow64Process FALSE for the current-process
// pseudo handle or any open handle; ERROR_INVALID_HANDLE otherwise.
WIN32_API BOOL WINAPI IsWow64Process(HANDLE hProcess, PBOOL Wow64Process);

// Adds a message to (MSGFLT_ADD) or removes it from (MSGFLT_REMOVE) the process's allowed
// list. There are no integrity levels on this host, so the list changes no delivery; it is
// kept so that callers' choices can be observed. Another action: FALSE, ERROR_INVALID_PARAMETER.
WIN32_API BOOL WINAPI ChangeWindowMessageFilter(UINT message, DWORD dwFlag);

// There is no debugger to write to: the text is a trace on the channel "debug" (win32/trace.h),
// shown when WIN32_TRACE lists it. Wide text goes out as UTF-8, narrow text as it is.
WIN32_API void WINAPI OutputDebugStringW(LPCWSTR lpOutputString);
WIN32_API void WINAPI OutputDebugStringA(LPCSTR lpOutputString);

// Null: there is no shell desktop window on this host.
WIN32_API HWND WINAPI GetShellWindow();

// The owner thread of a window, and its process (always this one) in *lpdwProcessId when not
// null. Returns 0 and sets ERROR_INVALID_WINDOW_HANDLE for a window that does not exist.
WIN32_API DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);
}
