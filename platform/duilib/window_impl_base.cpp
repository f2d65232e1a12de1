// WindowImplBase: a window whose content comes from a skin layout.
#include "duilib/WindowImplBase.h"
#include "duilib/UIDlgBuilder.h"

namespace DuiLib {

CControlUI* WindowImplBase::CreateControl(LPCWSTR) {
    return nullptr;
}

void WindowImplBase::OnFinalMessage(HWND) {
    m_PaintManager.RemoveNotifier(this);
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        OnClick(msg);
    }
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) {
        return;
    }
    const CDuiString& name = msg.pSender->GetName();
    if (name == L"closebtn") {
        Close();
    } else if (name == L"minbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

void WindowImplBase::OnCancel() {
    Close(IDCANCEL);
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    BOOL handled = TRUE;
    switch (msg) {
    case WM_CREATE:
        result = OnCreate(msg, wParam, lParam, handled);
        break;
    case WM_CLOSE:
        result = OnClose(msg, wParam, lParam, handled);
        break;
    case WM_DESTROY:
        result = OnDestroy(msg, wParam, lParam, handled);
        break;
    case WM_SIZE:
        result = OnSize(msg, wParam, lParam, handled);
        break;
    case WM_SYSCOMMAND:
        result = OnSysCommand(msg, wParam, lParam, handled);
        break;
    case WM_KEYDOWN:
        result = OnKeyDown(msg, wParam, lParam, handled);
        break;
    default:
        handled = FALSE;
        break;
    }
    if (handled) {
        return result;
    }
    result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) {
        return result;
    }
    if (m_PaintManager.MessageHandler(msg, wParam, lParam, result)) {
        return result;
    }
    // A held Esc closes once; a child window is part of another and leaves closing to it.
    constexpr LPARAM kWasDown = 1 << 30;
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE && !(lParam & kWasDown) &&
        !(GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD)) {
        OnCancel();
        return 0;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    m_PaintManager.Init(m_hWnd);
    CDialogBuilder builder;
    // A missing layout leaves the window empty, silently: the program goes on without a skin.
    // The skin folder names a folder of plain files below the resource path; an archive holds
    // its layouts at its root, so there the folder does not apply.
    CDuiString layout = GetSkinFile();
    const CDuiString folder = GetSkinFolder();
    if (CPaintManagerUI::GetResourceType() == UILIB_FILE && !folder.IsEmpty()) {
        layout = folder + L"\\" + layout;
    }
    CControlUI* root = builder.Create(layout, nullptr, this, &m_PaintManager);
    m_PaintManager.AttachDialog(root);
    m_PaintManager.AddNotifier(this);
    InitWindow();
    bHandled = TRUE;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

} // namespace DuiLib
