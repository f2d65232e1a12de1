// WindowImplBase: a CWindowWnd whose content is a layout of the skin. On WM_CREATE it builds the
// layout named by GetSkinFile (under GetSkinFolder for plain files) into its paint manager, then
// calls InitWindow. Message handlers receive a `bHandled` flag that starts true for HandleMessage's
// own branches and false for HandleCustomMessage; a message nobody handled goes to the
// default window procedure.
//
// Keys: the window's own handlers (OnKeyDown, HandleCustomMessage) see WM_KEYDOWN first; then
// the paint manager moves the focus with Tab and presses buttons with Space, Enter and Esc (a
// window names the buttons Enter and Esc press with m_PaintManager.SetDefaultButton and
// SetCancelButton, in InitWindow or later). Esc that presses no button calls OnCancel.
#pragma once

#include "duilib/UIBase.h"
#include "duilib/UIControl.h"
#include "duilib/UIDlgBuilder.h"

namespace DuiLib {

class DUILIB_API WindowImplBase : public CWindowWnd,
                                  public INotifyUI,
                                  public IDialogBuilderCallback {
public:
    WindowImplBase() = default;
    ~WindowImplBase() override = default;

    virtual void InitWindow() {}
    void OnFinalMessage(HWND hWnd) override;
    void Notify(TNotifyUI& msg) override;
    // Called for "click" notifications from Notify.
    virtual void OnClick(TNotifyUI& msg);
    // Esc in a top-level window without a cancel button that can be pressed: closes the window
    // as a cancel, Close(IDCANCEL). A window whose cancel result differs, or that must not close
    // on Esc, overrides it.
    virtual void OnCancel();

    // Controls of element names the builder does not know: none by default.
    CControlUI* CreateControl(LPCWSTR className) override;

    CPaintManagerUI& PaintManager() { return m_PaintManager; }

protected:
    virtual CDuiString GetSkinFolder() { return CDuiString(); }
    virtual CDuiString GetSkinFile() = 0;
    LPCWSTR GetWindowClassName() const override = 0;
    UINT GetClassStyle() const override { return CS_DBLCLKS; }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    CPaintManagerUI m_PaintManager;
};

} // namespace DuiLib
