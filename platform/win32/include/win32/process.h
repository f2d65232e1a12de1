// Processes, pipes and waiting.
#pragma once

#include "types.h"

#define STARTF_USESHOWWINDOW 0x00000001
#define STARTF_USESTDHANDLES 0x00000100
#define CREATE_NO_WINDOW 0x08000000
#define CREATE_NEW_CONSOLE 0x00000010
#define CREATE_UNICODE_ENVIRONMENT 0x00000400
#define DETACHED_PROCESS 0x00000008
#define NORMAL_PRIORITY_CLASS 0x00000020
#define STILL_ACTIVE 259
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_FAILED 0xFFFFFFFFu
#define PROCESS_TERMINATE 0x0001
#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#define SYNCHRONIZE 0x00100000L
#define PROCESS_ALL_ACCESS 0x001FFFFF

typedef struct _STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOW, *LPSTARTUPINFOW;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *PPROCESS_INFORMATION, *LPPROCESS_INFORMATION;

extern "C" {

// --- processes -----------------------------------------------------------------------------

// Starts a program without a shell. The program is lpApplicationName when given, else the first
// token of lpCommandLine (quoted, or up to the first whitespace); the arguments after it are
// split by the CommandLineToArgvW rules and handed over as they are. A program named without
// folder is searched in the executable's folder, the current folder, then PATH; "name.exe"
// (or "name" from a command line) falls back to the file "name" in the same folder.
// FALSE with ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND for a missing folder) before anything
// runs; ERROR_ACCESS_DENIED or ERROR_BAD_EXE_FORMAT when the file cannot be run; ERROR_DIRECTORY
// for a missing lpCurrentDirectory. With bInheritHandles every inheritable handle goes to the
// child, and with STARTF_USESTDHANDLES the given inheritable handles become its standard
// streams (anything else there: the null device). The caller owns both returned handles.
WIN32_API BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine,
                                     LPSECURITY_ATTRIBUTES lpProcessAttributes,
                                     LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                                     DWORD dwCreationFlags, LPVOID lpEnvironment,
                                     LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,
                                     LPPROCESS_INFORMATION lpProcessInformation);

// The pseudo handle of the calling process ((HANDLE)-1); CloseHandle on it is a no-op.
WIN32_API HANDLE WINAPI GetCurrentProcess();
WIN32_API DWORD WINAPI GetCurrentProcessId();
WIN32_API DWORD WINAPI GetCurrentThreadId();
// A process of this program's own (started by it, or itself) or any other by id. NULL with
// ERROR_INVALID_PARAMETER when no such process exists.
WIN32_API HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId);
WIN32_API DWORD WINAPI GetProcessId(HANDLE Process);

// STILL_ACTIVE while the process runs, then its exit code. A process this program did not start
// reports STILL_ACTIVE while it runs and fails with ERROR_ACCESS_DENIED afterwards.
WIN32_API BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
// The process ends at once and reports uExitCode. ERROR_ACCESS_DENIED when it has ended already.
WIN32_API BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode);

// Ends the process with uExitCode (0-255 seen from the host) the way returning from main ends
// it: exit handlers and the destructors of static objects run, and open C streams are flushed.
// Differs from Windows: other threads keep running until the process is gone. A call from an
// exit handler ends the process at once with its code; a call from another thread meanwhile
// waits for the end.
[[noreturn]] WIN32_API void WINAPI ExitProcess(UINT uExitCode);

// Waits for a process (or the thread handle of a started process) to end: WAIT_OBJECT_0, or
// WAIT_TIMEOUT after dwMilliseconds (INFINITE waits for good); WAIT_FAILED with
// ERROR_INVALID_HANDLE for anything else.
WIN32_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// --- pipes and handle flags ----------------------------------------------------------------

// An anonymous pipe; both ends are inheritable when lpPipeAttributes->bInheritHandle is TRUE.
// nSize is a hint. The caller closes both ends with CloseHandle.
WIN32_API BOOL WINAPI CreatePipe(PHANDLE hReadPipe, PHANDLE hWritePipe,
                                 LPSECURITY_ATTRIBUTES lpPipeAttributes, DWORD nSize);
// HANDLE_FLAG_INHERIT and HANDLE_FLAG_PROTECT_FROM_CLOSE on any kernel handle.
WIN32_API BOOL WINAPI SetHandleInformation(HANDLE hObject, DWORD dwMask, DWORD dwFlags);
WIN32_API BOOL WINAPI GetHandleInformation(HANDLE hObject, LPDWORD lpdwFlags);

// Pipe ends only; lpOverlapped must be null (ERROR_INVALID_PARAMETER otherwise). ReadFile
// blocks until some bytes arrive and returns what is there, up to the size asked; once every
// write end is closed and the pipe is empty it fails with ERROR_BROKEN_PIPE. WriteFile writes
// everything, blocking while the pipe is full; ERROR_NO_DATA once the read end is closed.
WIN32_API BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                               LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
WIN32_API BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
// Copies what is in the pipe without taking it out and never blocks. ERROR_BROKEN_PIPE when the
// pipe is empty and every write end is closed.
WIN32_API BOOL WINAPI PeekNamedPipe(HANDLE hNamedPipe, LPVOID lpBuffer, DWORD nBufferSize,
                                    LPDWORD lpBytesRead, LPDWORD lpTotalBytesAvail,
                                    LPDWORD lpBytesLeftThisMessage);

} // extern "C"
