// CWindowWnd: the program's object behind a window of the win32 layer.
#include "duilib/UIBase.h"
#include "duilib/UIManager.h"
#include "window_host.h"
#include "win32/host.h"

#include <QGuiApplication>
#include <QScreen>

namespace DuiLib {

// Shared with ShowModal's stack so that the result outlives an object that deletes itself.
struct CWindowWnd::ModalState {
    bool done = false;
    UINT result = 0;
};

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
    // An object that goes while its window lives must not be called again: the window loses
    // its object first, then goes too.
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND hwnd = m_hWnd;
        m_hWnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        duilib::DestroyHost(hwnd);
        DestroyWindow(hwnd);
    }
    if (m_modal) {
        m_modal->done = true;
    }
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CWindowWnd::__WndProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    if (RegisterClassExW(&wc)) {
        return true;
    }
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND parent, LPCWSTR name, DWORD style, DWORD exStyle, const RECT& rc,
                        HMENU menu) {
    return Create(parent, name, style, exStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, menu);
}

HWND CWindowWnd::Create(HWND parent, LPCWSTR name, DWORD style, DWORD exStyle, int x, int y, int cx,
                        int cy, HMENU menu) {
    if (!duilib::EnsureUi()) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return nullptr;
    }
    if (!RegisterWindowClass()) {
        return nullptr;
    }
    // A visible window is shown once its content exists, after WM_CREATE.
    HWND hwnd = CreateWindowExW(exStyle, GetWindowClassName(), name, style & ~WS_VISIBLE, x, y, cx,
                                cy, parent, menu, CPaintManagerUI::GetInstance(), this);
    if (hwnd && (style & WS_VISIBLE)) {
        ::ShowWindow(hwnd, SW_SHOW);
    }
    return hwnd;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (m_hWnd) {
        ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
    }
}

UINT CWindowWnd::ShowModal() {
    if (!m_hWnd) {
        return static_cast<UINT>(-1);
    }
    auto state = std::make_shared<ModalState>();
    m_modal = state;
    HWND hwnd = m_hWnd;
    HWND owner = GetParent(hwnd);
    if (owner) {
        EnableWindow(owner, FALSE);
    }
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    // `this` may be gone once the loop ends (OnFinalMessage may delete it): only locals below.
    win32::host::RunModalLoop([state] { return state->done; });
    if (owner && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
        SetFocus(owner);
    }
    return state->result;
}

void CWindowWnd::Close(UINT ret) {
    if (m_hWnd) {
        ::PostMessageW(m_hWnd, WM_CLOSE, ret, 0);
    }
}

void CWindowWnd::CenterWindow() {
    if (!m_hWnd) {
        return;
    }
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    RECT area{};
    HWND owner = GetParent(m_hWnd);
    if (owner && IsWindowVisible(owner)) {
        GetWindowRect(owner, &area);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        area = RECT{available.left(), available.top(), available.left() + available.width(),
                    available.top() + available.height()};
    }
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resourceId) {
    if (!m_hWnd) {
        return;
    }
    HICON icon = duilib::IconFromResource(CPaintManagerUI::GetResourceDll(), resourceId);
    if (icon) {
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    RECT rc{};
    if (!GetClientRect(m_hWnd, &rc)) {
        return;
    }
    SetWindowPos(m_hWnd, nullptr, 0, 0, cx < 0 ? rc.right : cx, cy < 0 ? rc.bottom : cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (!self || !duilib::CreateHost(hWnd, *create)) {
            return FALSE;
        }
        self->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (!self) {
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    }
    if (msg == WM_SETICON) {
        duilib::ApplyIcon(hWnd, reinterpret_cast<HICON>(lParam));
    }
    if (msg == WM_SETTEXT) {
        const LRESULT result = self->HandleMessage(msg, wParam, lParam);
        // The caption on screen shows whatever text the window kept (a procedure may refuse it).
        if (auto* host = duilib::HostOf(hWnd)) {
            std::wstring title(static_cast<size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
            title.resize(static_cast<size_t>(
                GetWindowTextW(hWnd, title.data(), static_cast<int>(title.size()))));
            host->setWindowTitle(QString::fromStdWString(title));
        }
        return result;
    }
    if (msg == WM_CLOSE && self->m_modal) {
        self->m_modal->result = static_cast<UINT>(wParam);
    }
    if (msg == WM_NCDESTROY) {
        const LRESULT result = self->HandleMessage(msg, wParam, lParam);
        duilib::DestroyHost(hWnd);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        if (auto modal = std::move(self->m_modal)) {
            modal->done = true;
        }
        self->OnFinalMessage(hWnd);
        return result;
    }
    return self->HandleMessage(msg, wParam, lParam);
}

} // namespace DuiLib
