// The user32 calls for visible windows. A window without a widget (message-only) keeps only its
// style bits, so the calls still answer consistently for it.
#include "duilib/UIUser32.h"
#include "internal.h"
#include "message_loop.h"
#include "window_host.h"
#include "window_table.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

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
    if (auto* host = duilib::HostOf(hWnd)) {
        switch (nCmdShow) {
        case SW_HIDE:
            host->hide();
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            host->showMinimized();
            break;
        case SW_MAXIMIZE:
            host->showMaximized();
            break;
        case SW_RESTORE:
            host->showNormal();
            break;
        default:
            host->show();
            if (nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE) {
                host->activateWindow();
            }
            break;
        }
        host->ReportGeometry();
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
    if (auto* host = duilib::HostOf(hWnd)) {
        // A child's geometry is relative to its parent; the answer is in screen coordinates.
        const QPoint origin = host->isWindow() ? host->pos() : host->mapToGlobal(QPoint(0, 0));
        *lpRect =
            RECT{origin.x(), origin.y(), origin.x() + host->width(), origin.y() + host->height()};
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
    if (auto* host = duilib::HostOf(hWnd)) {
        *lpRect = RECT{0, 0, host->width(), host->height()};
    }
    return TRUE;
}

extern "C" BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                                    UINT uFlags) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    auto* host = duilib::HostOf(hWnd);
    if (host) {
        if (!(uFlags & SWP_NOMOVE)) {
            host->move(X, Y);
        }
        if (!(uFlags & SWP_NOSIZE)) {
            host->resize(std::max(cx, 1), std::max(cy, 1));
        }
        (void)hWndInsertAfter; // stacking is left to the window manager
        host->ReportGeometry();
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
    if (auto* host = duilib::HostOf(hWnd)) {
        host->activateWindow();
        host->setFocus();
    }
    return nullptr;
}

extern "C" BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    auto* host = duilib::HostOf(hWnd);
    if (!host) {
        return FALSE;
    }
    host->raise();
    host->activateWindow();
    return TRUE;
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
    if (!duilib::EnsureUi()) {
        return TRUE;
    }
    const QPoint pos = QCursor::pos();
    *lpPoint = POINT{pos.x(), pos.y()};
    return TRUE;
}

extern "C" int WINAPI GetSystemMetrics(int nIndex) {
    if (!duilib::EnsureUi()) {
        return 0;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return 0;
    }
    switch (nIndex) {
    case SM_CXSCREEN:
        return screen->geometry().width();
    case SM_CYSCREEN:
        return screen->geometry().height();
    default:
        return 0;
    }
}

extern "C" BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* /*lpRect*/, BOOL /*bErase*/) {
    if (!win32::LookupWindow(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    if (auto* host = duilib::HostOf(hWnd)) {
        host->update();
    }
    return TRUE;
}

extern "C" int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
    if (!duilib::EnsureUi()) {
        return 0;
    }
    using Button = QMessageBox::StandardButton;
    QMessageBox::StandardButtons buttons;
    switch (uType & 0x0F) {
    case MB_OKCANCEL:
        buttons = Button::Ok | Button::Cancel;
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = Button::Abort | Button::Retry | Button::Ignore;
        break;
    case MB_YESNOCANCEL:
        buttons = Button::Yes | Button::No | Button::Cancel;
        break;
    case MB_YESNO:
        buttons = Button::Yes | Button::No;
        break;
    case MB_RETRYCANCEL:
        buttons = Button::Retry | Button::Cancel;
        break;
    default:
        buttons = Button::Ok;
        break;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (uType & 0xF0) {
    case MB_ICONERROR:
        icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QPointer<QMessageBox> box = new QMessageBox(
        icon, QString::fromStdWString(lpCaption ? lpCaption : L"错误"),
        QString::fromStdWString(lpText ? lpText : L""), buttons, duilib::HostOf(hWnd));
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    // The window's messages keep flowing while the box is up, as in a Windows modal loop.
    bool done = false;
    QObject::connect(box, &QMessageBox::finished, [&done] { done = true; });
    box->open();
    win32::RunModalLoop(done);
    if (!box) {
        return 0;
    }
    QAbstractButton* clicked = box->clickedButton();
    const Button pressed = clicked ? box->standardButton(clicked) : Button::NoButton;
    delete box;
    switch (pressed) {
    case Button::Ok:
        return IDOK;
    case Button::Cancel:
        return IDCANCEL;
    case Button::Abort:
        return IDABORT;
    case Button::Retry:
        return IDRETRY;
    case Button::Ignore:
        return IDIGNORE;
    case Button::Yes:
        return IDYES;
    case Button::No:
        return IDNO;
    default:
        // Escape or the close box: Cancel where there is one, else the only button.
        return (buttons & Button::Cancel) ? IDCANCEL : ((uType & 0x0F) == MB_OK ? IDOK : 0);
    }
}
