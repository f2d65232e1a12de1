// The window text and the class name of a window.
#include "internal.h"
#include "window_table.h"

#include <algorithm>

namespace {

// Copies as much of `text` as fits with a terminator; returns the count copied.
int CopyOut(const std::wstring& text, LPWSTR buffer, int capacity) {
    const size_t count = std::min(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = L'\0';
    return static_cast<int>(count);
}

// The checks GetWindowTextW and GetClassNameW share: the window, or null with the last error set.
std::shared_ptr<win32::Window> WindowForCopy(HWND hwnd, LPWSTR buffer, int capacity) {
    auto window = win32::LookupWindow(hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!buffer || capacity < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return window;
}

} // namespace

extern "C" int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    auto window = WindowForCopy(hWnd, lpString, nMaxCount);
    return window ? CopyOut(window->Title(), lpString, nMaxCount) : 0;
}

extern "C" int WINAPI GetWindowTextLengthW(HWND hWnd) {
    auto window = win32::LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(window->Title().size());
}

extern "C" BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    // The text travels through the window's procedure, which may keep or refuse it.
    return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

extern "C" int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    auto window = WindowForCopy(hWnd, lpClassName, nMaxCount);
    return window ? CopyOut(window->ClassName(), lpClassName, nMaxCount) : 0;
}
