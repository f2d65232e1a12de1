// CWindowWnd: a window of the win32 layer (HWND, messages, timers) shown as a top-level widget.
// The object is the program's; the layer never frees it. OnFinalMessage is the last call the
// object receives for its window, after the handle has died, so an object may delete itself
// there.
#pragma once

#include "duilib/UIString.h"

#include <memory>

namespace DuiLib {

class DUILIB_API CWindowWnd {
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Creates the window: `parent` is the parent or owner (a popup stays over its owner). The
    // window is hidden unless WS_VISIBLE is in the style. Null on failure (last error set).
    HWND Create(HWND parent, LPCWSTR name, DWORD style, DWORD exStyle, const RECT& rc,
                HMENU menu = nullptr);
    HWND Create(HWND parent, LPCWSTR name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT,
                HMENU menu = nullptr);

    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window, disables its owner and runs a message loop until the window is
    // destroyed. Returns the code given to Close (0 when it was closed otherwise), or -1 when
    // there is no window. The object may delete itself in OnFinalMessage meanwhile.
    UINT ShowModal();
    // Posts WM_CLOSE carrying the code that ShowModal returns.
    void Close(UINT ret = IDOK);
    // Centres the window over its owner, or over the screen when it has none.
    void CenterWindow();
    void SetIcon(UINT resourceId);

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    void ResizeClient(int cx = -1, int cy = -1);

protected:
    virtual LPCWSTR GetWindowClassName() const = 0;
    virtual LPCWSTR GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    static LRESULT CALLBACK __WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    struct ModalState;
    bool RegisterWindowClass();
    std::shared_ptr<ModalState> m_modal;
};

} // namespace DuiLib
