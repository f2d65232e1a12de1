// Which thread and process own a window.
#include "internal.h"
#include "window_table.h"

#include "win32/process.h"
#include "win32/system.h"

extern "C" DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    DWORD threadId = win32::WindowThreadId(hWnd);
    if (threadId == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // Windows live in the table of this process only.
    if (lpdwProcessId) {
        *lpdwProcessId = GetCurrentProcessId();
    }
    return threadId;
}
