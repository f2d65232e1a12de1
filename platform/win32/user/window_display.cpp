// The user32 calls for visible windows. The layer keeps the style bits and checks handles; what
// is on screen is the driver's (the UI layer's), so a window without a screen (a message-only
// window, or any window while no UI is loaded) still answers consistently.
#include "internal.h"
#include "window_driver.h"
#include "window_table.h"

#include "win32/display.h"

#include <algorithm>

namespace {

bool SetStyleBit(HWND hwnd, int index, LONG_PTR bit, bool on) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, index);
    const LONG_PTR updated = on ? (style | bit) : (style & ~bit);
    if (updated != style) {
        SetWindowLongPtrW(hwnd, index, updated);
    }
    return (style & bit) != 0;
}

} // namespace

extern "C" BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    const bool show = nCmdShow != SW_HIDE;
    const bool wasVisible = SetStyleBit(hWnd, GWL_STYLE, WS_VISIBLE, show);
    if (const auto show = win32::Driver().show) {
        show(hWnd, nCmdShow);
    }
    return wasVisible ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsWindowVisible(HWND hWnd) {
    if (!win32::LookupWindow(hWnd)) {
        return FALSE;
    }
    return (GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_VISIBLE) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    const bool wasDisabled = SetStyleBit(hWnd, GWL_STYLE, WS_DISABLED, !bEnable);
    // The widget itself stays enabled: Qt would disable the owned windows with it, and a modal
    // box must keep working while its owner is disabled. The host drops input instead.
    if (wasDisabled == (bEnable != FALSE)) {
        SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    if (!win32::LookupWindow(hWnd)) {
        return FALSE;
    }
    return (GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_DISABLED) ? FALSE : TRUE;
}

extern "C" BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    if (!lpRect) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    *lpRect = RECT{};
    if (const auto windowRect = win32::Driver().windowRect;
        windowRect && !windowRect(hWnd, lpRect)) {
        *lpRect = RECT{};
    }
    return TRUE;
}

extern "C" BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    if (!lpRect) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    *lpRect = RECT{};
    if (const auto clientRect = win32::Driver().clientRect;
        clientRect && !clientRect(hWnd, lpRect)) {
        *lpRect = RECT{};
    }
    return TRUE;
}

extern "C" BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                                    UINT uFlags) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    (void)hWndInsertAfter; // stacking is left to the window manager
    if (const auto setPos = win32::Driver().setPos) {
        setPos(hWnd, X, Y, cx, cy, uFlags);
    }
    if (uFlags & SWP_SHOWWINDOW) {
        ShowWindow(hWnd, (uFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    } else if (uFlags & SWP_HIDEWINDOW) {
        ShowWindow(hWnd, SW_HIDE);
    }
    return TRUE;
}

extern "C" BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight,
                                  BOOL /*bRepaint*/) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

extern "C" HWND WINAPI GetParent(HWND hWnd) {
    auto window = win32::LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return window->Parent();
}

extern "C" HWND WINAPI SetFocus(HWND hWnd) {
    if (!hWnd) {
        return nullptr;
    }
    if (!win32::LookupWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (const auto focus = win32::Driver().focus) {
        focus(hWnd);
    }
    return nullptr;
}

extern "C" BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    if (!win32::LookupWindow(hWnd)) {
        return FALSE;
    }
    const auto foreground = win32::Driver().foreground;
    return foreground && foreground(hWnd) ? TRUE : FALSE;
}

extern "C" LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex));
}

extern "C" LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
    // Styles are 32-bit values: keep them unsigned so that WS_POPUP does not sign-extend.
    const LONG_PTR value = (nIndex == GWL_STYLE || nIndex == GWL_EXSTYLE)
                               ? static_cast<LONG_PTR>(static_cast<DWORD>(dwNewLong))
                               : static_cast<LONG_PTR>(dwNewLong);
    return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, value));
}

extern "C" BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (!lpPoint) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    *lpPoint = POINT{};
    if (const auto cursorPos = win32::Driver().cursorPos; cursorPos && !cursorPos(lpPoint)) {
        *lpPoint = POINT{};
    }
    return TRUE;
}

extern "C" int WINAPI GetSystemMetrics(int nIndex) {
    const auto systemMetric = win32::Driver().systemMetric;
    return systemMetric ? systemMetric(nIndex) : 0;
}

extern "C" BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* /*lpRect*/, BOOL /*bErase*/) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    if (const auto invalidate = win32::Driver().invalidate) {
        invalidate(hWnd);
    }
    return TRUE;
}

extern "C" int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
    if (hWnd && !win32::LookupWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const auto messageBox = win32::Driver().messageBox;
    if (!messageBox) {
        // No screen to ask on: the caller learns that nothing was answered.
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    return messageBox(hWnd, lpText ? lpText : L"", lpCaption ? lpCaption : L"错误", uType);
}
