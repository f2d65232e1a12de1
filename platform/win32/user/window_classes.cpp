// Window classes: one process-wide table keyed by the lower-cased name. Class atoms come from the
// range Windows uses for them (0xC000 up), so MAKEINTATOM(atom) works wherever a name does.
#include "internal.h"
#include "window_table.h"

#include <map>
#include <mutex>

namespace {

struct ClassTable {
    std::mutex mutex;
    std::map<std::wstring, win32::WindowClass> classes;
    std::map<ATOM, std::wstring> keysByAtom;
    unsigned nextAtom = 0xC000;
};

ClassTable& Classes() {
    static auto* table = new ClassTable;
    return *table;
}

// The table key for a name or atom; empty when an atom names no class.
std::wstring KeyOf(ClassTable& table, LPCWSTR nameOrAtom) {
    if (IS_INTRESOURCE(nameOrAtom)) {
        auto it = table.keysByAtom.find(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom)));
        return it == table.keysByAtom.end() ? std::wstring() : it->second;
    }
    return win32::ClassKeyOf(nameOrAtom);
}

} // namespace

namespace win32 {

bool FindWindowClass(LPCWSTR nameOrAtom, WindowClass* found) {
    if (!nameOrAtom) {
        return false;
    }
    auto& table = Classes();
    std::lock_guard lock(table.mutex);
    auto it = table.classes.find(KeyOf(table, nameOrAtom));
    if (it == table.classes.end()) {
        return false;
    }
    *found = it->second;
    return true;
}

} // namespace win32

extern "C" ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* lpWndClass) {
    if (!lpWndClass || lpWndClass->cbSize != sizeof(WNDCLASSEXW) || !lpWndClass->lpfnWndProc ||
        !lpWndClass->lpszClassName || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
        !*lpWndClass->lpszClassName || lpWndClass->cbWndExtra < 0 || lpWndClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto& table = Classes();
    std::lock_guard lock(table.mutex);
    std::wstring key = win32::ClassKeyOf(lpWndClass->lpszClassName);
    if (table.classes.contains(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    if (table.nextAtom > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    win32::WindowClass entry;
    entry.name = lpWndClass->lpszClassName;
    entry.atom = static_cast<ATOM>(table.nextAtom++);
    entry.info = *lpWndClass;
    entry.info.lpszClassName = nullptr;
    entry.info.lpszMenuName = nullptr;
    table.keysByAtom.emplace(entry.atom, key);
    ATOM atom = entry.atom;
    table.classes.emplace(std::move(key), std::move(entry));
    return atom;
}

extern "C" ATOM WINAPI RegisterClassW(const WNDCLASSW* lpWndClass) {
    if (!lpWndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof(ex);
    ex.style = lpWndClass->style;
    ex.lpfnWndProc = lpWndClass->lpfnWndProc;
    ex.cbClsExtra = lpWndClass->cbClsExtra;
    ex.cbWndExtra = lpWndClass->cbWndExtra;
    ex.hInstance = lpWndClass->hInstance;
    ex.hIcon = lpWndClass->hIcon;
    ex.hCursor = lpWndClass->hCursor;
    ex.hbrBackground = lpWndClass->hbrBackground;
    ex.lpszMenuName = lpWndClass->lpszMenuName;
    ex.lpszClassName = lpWndClass->lpszClassName;
    return RegisterClassExW(&ex);
}

extern "C" BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance) {
    (void)hInstance;
    if (!lpClassName) {
        return win32::Fail(ERROR_CLASS_DOES_NOT_EXIST);
    }
    auto& table = Classes();
    std::lock_guard lock(table.mutex);
    auto it = table.classes.find(KeyOf(table, lpClassName));
    if (it == table.classes.end()) {
        return win32::Fail(ERROR_CLASS_DOES_NOT_EXIST);
    }
    if (win32::WindowsOfClass(it->first) > 0) {
        return win32::Fail(ERROR_CLASS_HAS_WINDOWS);
    }
    table.keysByAtom.erase(it->second.atom);
    table.classes.erase(it);
    return TRUE;
}

extern "C" BOOL WINAPI GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass,
                                       LPWNDCLASSEXW lpwcx) {
    (void)hInstance;
    win32::WindowClass found;
    if (!lpwcx || !win32::FindWindowClass(lpszClass, &found)) {
        return win32::Fail(ERROR_CLASS_DOES_NOT_EXIST);
    }
    *lpwcx = found.info;
    lpwcx->lpszClassName = lpszClass;
    return static_cast<BOOL>(found.atom);
}
