// Starting console programs with a hidden window and collecting what they print.
//
// Threading: any thread may call these; each call blocks its thread until the program has ended.
// Failure: Windows error codes in the results; CreateProcessWithReturnedData also throws (see
// there).
#pragma once

#include "export.h"

#include <windows.h>

#include <string>

// Zero-fills both records, sets the start-up record's size and asks for a hidden window
// (STARTF_USESHOWWINDOW with SW_HIDE).
VARNIX_API void InitProcReltive(STARTUPINFOW* startupInfo, PROCESS_INFORMATION* processInfo);

// Runs `commandLine` (program first, by the Windows command-line rules) hidden and waits until it
// ends. When `output` is given it becomes the program's standard output and standard error; it
// must be inheritable, and only then are handles inherited. `unused` is not read. Returns 0 when
// the program ran and ended, whatever its exit code, otherwise the Windows error code (for
// example ERROR_FILE_NOT_FOUND for a missing program).
VARNIX_API DWORD CreateHiddenWindowProcess(const std::wstring& commandLine, HANDLE unused,
                                           HANDLE output);

// Runs `commandLine` hidden and returns what it wrote to standard output and standard error: the
// first 4096 bytes at most, up to the first zero byte, taken as ANSI text. The rest is read and
// dropped, so a talkative program never blocks. Returns "error|" and the Windows error code
// when the program could not be run. Throws `false` (a bool) when the pipe cannot be set up.
VARNIX_API std::wstring CreateProcessWithReturnedData(const std::wstring& commandLine);
