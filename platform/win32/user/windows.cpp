// Creating and destroying windows, and their window long values.
#include "internal.h"
#include "message_queue.h"
#include "window_table.h"

namespace {

// The last steps of every destruction: WM_NCDESTROY (the handle still works inside it, so the
// procedure can read its user data one last time), then the handle dies and everything queued
// for it goes.
void FinishDestroy(const std::shared_ptr<win32::Window>& window) {
    HWND hwnd = window->Handle();
    win32::CallProcedure(hwnd, WM_NCDESTROY, 0, 0);
    win32::UnregisterWindow(hwnd);
    window->Queue()->DropWindow(hwnd);
    if (auto hook = window->TakeDestroyedHook()) {
        hook(hwnd);
    }
}

} // namespace

extern "C" HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName,
                                       DWORD dwStyle, int X, int Y, int nWidth, int nHeight,
                                       HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                       LPVOID lpParam) {
    win32::WindowClass windowClass;
    if (!win32::FindWindowClass(lpClassName, &windowClass)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    HWND parent = nullptr;
    if (hWndParent && hWndParent != HWND_MESSAGE) {
        if (!win32::LookupWindow(hWndParent)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        parent = hWndParent;
    } else if (!hWndParent && (dwStyle & WS_CHILD)) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }

    win32::WindowSpec spec;
    spec.className = windowClass.name;
    spec.title = lpWindowName ? lpWindowName : L"";
    spec.procedure = windowClass.info.lpfnWndProc;
    spec.parent = parent;
    spec.messageOnly = hWndParent == HWND_MESSAGE;
    spec.style = dwStyle;
    spec.exStyle = dwExStyle;
    spec.instance = hInstance;
    // A child's "menu" is its control id.
    spec.id = (dwStyle & WS_CHILD) ? reinterpret_cast<LONG_PTR>(hMenu) : 0;
    spec.extraBytes = windowClass.info.cbWndExtra;
    HWND hwnd = win32::RegisterWindow(spec);
    if (!hwnd) {
        return nullptr;
    }

    CREATESTRUCTW create{lpParam,
                         hInstance,
                         hMenu,
                         hWndParent,
                         nHeight,
                         nWidth,
                         Y,
                         X,
                         static_cast<LONG>(dwStyle),
                         lpWindowName,
                         lpClassName,
                         dwExStyle};
    auto window = win32::LookupWindow(hwnd);
    if (!win32::CallProcedure(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        // Refused before it existed: only WM_NCDESTROY follows, as on Windows.
        if (window->BeginDestroy()) {
            FinishDestroy(window);
        }
        return nullptr;
    }
    if (win32::CallProcedure(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    // The procedure may have destroyed the window itself while it was being created.
    return win32::LookupWindow(hwnd) ? hwnd : nullptr;
}

extern "C" BOOL WINAPI DestroyWindow(HWND hWnd) {
    auto window = win32::LookupWindow(hWnd);
    if (!window) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    if (window->ThreadId() != win32::CurrentThreadId()) {
        return win32::Fail(ERROR_ACCESS_DENIED);
    }
    if (!window->BeginDestroy()) {
        return TRUE; // called again from inside its own destruction
    }
    win32::CallProcedure(hWnd, WM_DESTROY, 0, 0);
    // Children and owned windows go before their parent's handle does. Those of another thread
    // are left to that thread.
    for (HWND child : win32::ChildWindows(hWnd)) {
        if (win32::WindowThreadId(child) == win32::CurrentThreadId()) {
            DestroyWindow(child);
        }
    }
    FinishDestroy(window);
    return TRUE;
}

extern "C" BOOL WINAPI IsWindow(HWND hWnd) {
    return win32::LookupWindow(hWnd) ? TRUE : FALSE;
}

extern "C" LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) {
    auto window = win32::LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR value = 0;
    if (!window->GetLong(nIndex, &value)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return value;
}

extern "C" LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    auto window = win32::LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR previous = 0;
    if (!window->SetLong(nIndex, dwNewLong, &previous)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return previous;
}
