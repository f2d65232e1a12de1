// The table of live windows. An HWND is a key into this table, never a pointer: a destroyed or
// invented handle simply misses, so no call ever dereferences a dead window. Values are never
// reused while the process lives and stay below 2^32, as window handles do on 64-bit Windows.
//
// Layer-internal: used by the message core and by the UI layer, which hosts visible windows in
// the same table (RegisterWindow with its own object, then DestroyWindow as for any window).
#pragma once

#include "win32/messages.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;

namespace win32 {

class ThreadQueue;

// What the UI layer (or CreateWindowExW) supplies for a new window.
struct WindowSpec {
    std::wstring className;
    std::wstring title;
    WNDPROC procedure = nullptr;
    HWND parent = nullptr;    // a live window, or null for a top-level / message-only window
    bool messageOnly = false; // created under HWND_MESSAGE: never found among top-level windows
    DWORD style = 0;
    DWORD exStyle = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0;
    int extraBytes = 0; // the class's cbWndExtra
    // The object that shows the window (the UI layer's widget); not owned. Null for
    // message-only windows.
    QObject* object = nullptr;
    // Called on the owner thread after WM_NCDESTROY, when the handle is already dead.
    std::function<void(HWND)> onDestroyed;
};

// A live window. Shared so that a lookup stays valid while another thread destroys the window.
class Window {
public:
    Window(const WindowSpec& spec, std::shared_ptr<ThreadQueue> queue, DWORD threadId);

    HWND Handle() const { return m_hwnd; }
    DWORD ThreadId() const { return m_threadId; }
    const std::shared_ptr<ThreadQueue>& Queue() const { return m_queue; }
    // The class name as registered, lower-cased (class names ignore case).
    const std::wstring& ClassKey() const { return m_classKey; }
    // The class name as registered, case kept.
    const std::wstring& ClassName() const { return m_className; }
    bool MessageOnly() const { return m_messageOnly; }
    // The window text; any thread may read or change it.
    std::wstring Title() const;
    void SetTitle(std::wstring title);
    HWND Parent() const;
    QObject* Object() const;
    void SetObject(QObject* object);

    WNDPROC Procedure() const;
    // Reads or writes a window long value; false for an index the window does not have.
    bool GetLong(int index, LONG_PTR* value) const;
    bool SetLong(int index, LONG_PTR value, LONG_PTR* previous);

    // Owner thread only. False when destruction has already begun, so that a DestroyWindow
    // nested in WM_DESTROY does nothing twice.
    bool BeginDestroy();
    // Hands over the destruction hook (empty after the first call).
    std::function<void(HWND)> TakeDestroyedHook();
    void SetDestroyedHook(std::function<void(HWND)> hook);

private:
    friend HWND RegisterWindow(const WindowSpec& spec);

    HWND m_hwnd = nullptr;
    DWORD m_threadId;
    std::shared_ptr<ThreadQueue> m_queue;
    std::wstring m_className;
    std::wstring m_classKey;
    bool m_messageOnly;
    HWND m_parent;
    mutable std::mutex m_mutex; // guards the values below
    std::wstring m_title;
    WNDPROC m_procedure;
    LONG_PTR m_userData = 0;
    LONG_PTR m_id;
    DWORD m_style;
    DWORD m_exStyle;
    HINSTANCE m_instance;
    std::vector<unsigned char> m_extra;
    QObject* m_object;
    bool m_destroying = false;
    std::function<void(HWND)> m_onDestroyed;
};

// Enters a window owned by the calling thread into the table and returns its handle; no message
// is sent. Null when the calling thread can no longer own windows (it is ending, or no event loop
// can run on it: ERROR_INVALID_THREAD_ID).
HWND RegisterWindow(const WindowSpec& spec);

// The live window behind a handle, or null (stale, destroyed, invented, NULL, HWND_MESSAGE).
std::shared_ptr<Window> LookupWindow(HWND hwnd);

// Removes a handle from the table; from then on every call rejects it.
void UnregisterWindow(HWND hwnd);

// Thread id owning the window (as GetCurrentThreadId reports it), 0 for a dead handle.
DWORD WindowThreadId(HWND hwnd);

// Live windows owned by a thread, in creation order.
std::vector<HWND> WindowsOfThread(DWORD threadId);

// Every live window, in creation order (which stands in for the Z order).
std::vector<std::shared_ptr<Window>> AllWindows();

// Live windows whose parent (or owner) is the given window, in creation order.
std::vector<HWND> ChildWindows(HWND parent);

// A class name as the class table keys it: lower-cased, since class names ignore case.
std::wstring ClassKeyOf(const std::wstring& className);

// A registered window class, as CreateWindowExW needs it.
struct WindowClass {
    std::wstring name; // as registered
    ATOM atom = 0;
    WNDCLASSEXW info{}; // without names: lpszClassName and lpszMenuName are null
};

// The class registered under a name or an atom (MAKEINTATOM); false when there is none.
bool FindWindowClass(LPCWSTR nameOrAtom, WindowClass* found);

// Number of live windows created from a class (by its key).
size_t WindowsOfClass(const std::wstring& classKey);

} // namespace win32
