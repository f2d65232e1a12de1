// Kernel object handles: processes, threads, pipe ends and the like share one table, so that
// CloseHandle works on all of them and a stale handle is rejected, never dereferenced.
#pragma once

#include "types.h"

#define HANDLE_FLAG_INHERIT 0x00000001
#define HANDLE_FLAG_PROTECT_FROM_CLOSE 0x00000002

extern "C" {
// Returns FALSE and sets ERROR_INVALID_HANDLE for a handle that is not open.
WIN32_API BOOL WINAPI CloseHandle(HANDLE hObject);
}
