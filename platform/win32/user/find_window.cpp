// Finding windows by class and title, from any thread.
#include "internal.h"
#include "window_table.h"

#include <optional>

namespace {

// Which windows a search looks at: the top-level ones, the message-only ones, or the children of
// one window.
struct Scope {
    HWND parent = nullptr;
    bool topLevel = false;
    bool messageOnly = false;

    bool Holds(const win32::Window& window) const {
        LONG_PTR style = 0;
        window.GetLong(GWL_STYLE, &style);
        const bool child = (style & WS_CHILD) != 0;
        if (window.MessageOnly()) {
            return messageOnly;
        }
        if (parent) {
            return child && window.Parent() == parent;
        }
        return topLevel && !child;
    }
};

// The class key a search asks for: nothing for "any class", an empty key for an atom that names
// no class (which no window has).
std::optional<std::wstring> WantedClass(LPCWSTR nameOrAtom) {
    if (!nameOrAtom) {
        return std::nullopt;
    }
    if (IS_INTRESOURCE(nameOrAtom)) {
        win32::WindowClass found;
        return win32::FindWindowClass(nameOrAtom, &found) ? win32::ClassKeyOf(found.name)
                                                          : std::wstring();
    }
    return win32::ClassKeyOf(nameOrAtom);
}

HWND Search(const Scope& scope, HWND after, LPCWSTR className, LPCWSTR title) {
    const auto wantedClass = WantedClass(className);
    if (wantedClass && wantedClass->empty()) {
        SetLastError(ERROR_SUCCESS);
        return nullptr;
    }
    const std::optional<std::wstring> wantedTitle =
        title ? std::optional(win32::ClassKeyOf(title)) : std::nullopt;
    bool started = after == nullptr;
    for (const auto& window : win32::AllWindows()) {
        if (!scope.Holds(*window)) {
            continue;
        }
        if (!started) {
            started = window->Handle() == after;
            continue;
        }
        if (wantedClass && window->ClassKey() != *wantedClass) {
            continue;
        }
        // Titles, like class names, compare without regard to case.
        if (wantedTitle && win32::ClassKeyOf(window->Title()) != *wantedTitle) {
            continue;
        }
        return window->Handle();
    }
    SetLastError(ERROR_SUCCESS);
    return nullptr;
}

} // namespace

extern "C" HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
    Scope scope;
    scope.topLevel = true;
    return Search(scope, nullptr, lpClassName, lpWindowName);
}

extern "C" HWND WINAPI FindWindowExW(HWND hWndParent, HWND hWndChildAfter, LPCWSTR lpszClass,
                                     LPCWSTR lpszWindow) {
    Scope scope;
    if (hWndParent == HWND_MESSAGE) {
        scope.messageOnly = true;
    } else if (hWndParent) {
        if (!win32::LookupWindow(hWndParent)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        scope.parent = hWndParent;
    } else {
        scope.topLevel = true;
        scope.messageOnly = hWndChildAfter == nullptr;
    }
    if (hWndChildAfter && !win32::LookupWindow(hWndChildAfter)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return Search(scope, hWndChildAfter, lpszClass, lpszWindow);
}
