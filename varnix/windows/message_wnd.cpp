#include "message_wnd.h"

#include "universial_const.h"

using namespace DuiLib;

namespace {

// What a layout does to one button: leave it as the skin has it, or show/hide it with an
// optional caption.
struct ButtonState {
    enum Visibility { kSkin, kShown, kHidden } visibility;
    LPCWSTR caption;
};

constexpr ButtonState kSkin{ButtonState::kSkin, nullptr};
constexpr ButtonState kShown{ButtonState::kShown, nullptr};
constexpr ButtonState kHidden{ButtonState::kHidden, nullptr};
constexpr ButtonState Shown(LPCWSTR caption) {
    return ButtonState{ButtonState::kShown, caption};
}

// The buttons Enter and Esc press go by what a button says, not by its name: in the save
// layout "retrybtn" is the one captioned 取消, and "cancelbtn" saves. Without a cancelling
// button, Esc closes the box with the cancel result (OnCancel). The names are spelt out, as
// UniversialConst's may not be set yet while this table is.
struct Layout {
    BUTTON_TYPE type;
    ButtonState retry, ok, cancel, close;
    LPCWSTR enterButton;
    LPCWSTR escButton;
};

const Layout kLayouts[] = {
    {BUTTON_OK_CANCEL, kHidden, kShown, kShown, kHidden, L"okbtn", L"cancelbtn"},
    {BUTTON_OK, kHidden, kShown, kHidden, kHidden, L"okbtn", nullptr},
    {BUTTON_CONTINUE_CANCEL, kHidden, Shown(L"继续"), kShown, kHidden, L"okbtn", L"cancelbtn"},
    {BUTTON_OK_CONTINUE, kHidden, Shown(L"确定"), Shown(L"继续"), kHidden, L"okbtn", nullptr},
    {BUTTON_CANCEL_OK_SAVE, Shown(L"取消"), kShown, Shown(L"保存"), kSkin, L"okbtn", L"retrybtn"},
    {BUTTON_CANCEL_ONLY, kHidden, kHidden, kShown, kSkin, L"cancelbtn", L"cancelbtn"},
    {BUTTON_RETRY_CANCEL, kShown, kHidden, kShown, kSkin, L"retrybtn", L"cancelbtn"},
    {BUTTON_NONE, kHidden, kHidden, kHidden, kSkin, nullptr, nullptr},
};

void Apply(CButtonUI* button, const ButtonState& state) {
    if (!button || state.visibility == ButtonState::kSkin) {
        return;
    }
    button->SetVisible(state.visibility == ButtonState::kShown);
    if (state.caption) {
        button->SetText(state.caption);
    }
}

template <typename T>
T* Find(CPaintManagerUI& manager, LPCWSTR name, LPCWSTR interfaceName) {
    CControlUI* control = manager.FindControl(name);
    return control ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
}

} // namespace

BUTTON_TYPE MessageWnd::MsgBox(HWND parent, LPCWSTR content, LPCWSTR title, BUTTON_TYPE layout) {
    return SpecializeCreate(parent, content, title, layout, BOX_MESSAGE);
}

BUTTON_TYPE MessageWnd::UpdateInfoBox(HWND parent, LPCWSTR content, LPCWSTR title,
                                      BUTTON_TYPE layout) {
    return SpecializeCreate(parent, content, title, layout, BOX_UPDATE_INFO);
}

BUTTON_TYPE MessageWnd::SpecializeCreate(HWND parent, LPCWSTR content, LPCWSTR title,
                                         BUTTON_TYPE layout, BOX_TYPE boxType) {
    auto* box = new MessageWnd;
    const DWORD style =
        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    if (!box->Create(parent, L"msgwnd", style, WS_EX_TOOLWINDOW)) {
        // No window means no final message: the box would never free itself.
        delete box;
        return static_cast<BUTTON_TYPE>(-1);
    }
    box->Type(layout);
    box->BoxType(boxType);
    box->CenterWindow();
    box->Title(title);
    box->Content(content);
    // The box deletes itself before ShowModal returns.
    return static_cast<BUTTON_TYPE>(box->ShowModal());
}

void MessageWnd::Title(LPCWSTR title) {
    if (CControlUI* label = m_PaintManager.FindControl(UniversialConst::TITLE_LABEL)) {
        label->SetText(title ? title : L"");
    }
}

void MessageWnd::Content(LPCWSTR content) {
    const bool updateInfo = m_boxType != BOX_MESSAGE;
    if (auto* tab =
            Find<CTabLayoutUI>(m_PaintManager, UniversialConst::MESSAGE_TAB, L"TabLayout")) {
        tab->SelectItem(updateInfo ? 1 : 0);
    }
    CControlUI* target = updateInfo ? m_updateInfoEdit : m_contentLbl;
    if (target) {
        target->SetText(content ? content : L"");
    }
}

void MessageWnd::Type(BUTTON_TYPE layout) {
    for (const Layout& entry : kLayouts) {
        if (entry.type == layout) {
            Apply(m_retryBtn, entry.retry);
            Apply(m_okBtn, entry.ok);
            Apply(m_cancelBtn, entry.cancel);
            Apply(m_closeBtn, entry.close);
            m_PaintManager.SetDefaultButton(entry.enterButton);
            m_PaintManager.SetCancelButton(entry.escButton);
            return;
        }
    }
    // The skin's own buttons: they confirm and cancel as their names say.
    m_PaintManager.SetDefaultButton(UniversialConst::OK_BUTTON);
    m_PaintManager.SetCancelButton(UniversialConst::CANCEL_BUTTON);
}

CDuiString MessageWnd::GetSkinFile() {
    return UniversialConst::MSGBOX_WND_LAYOUT_PATH;
}

LPCWSTR MessageWnd::GetWindowClassName() const {
    return L"msgwnd";
}

void MessageWnd::InitWindow() {
    // A message box keeps the size its skin gives it.
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    SetWindowLongW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG>(WS_THICKFRAME));

    m_closeBtn = Find<CButtonUI>(m_PaintManager, UniversialConst::CLOSE_BUTTON, L"Button");
    m_retryBtn = Find<CButtonUI>(m_PaintManager, UniversialConst::RETRY_BUTTON, L"Button");
    m_okBtn = Find<CButtonUI>(m_PaintManager, UniversialConst::OK_BUTTON, L"Button");
    m_cancelBtn = Find<CButtonUI>(m_PaintManager, UniversialConst::CANCEL_BUTTON, L"Button");
    m_updateInfoEdit = m_PaintManager.FindControl(UniversialConst::UPDATE_INFO_EDIT);
    m_contentLbl = Find<CLabelUI>(m_PaintManager, UniversialConst::CONTENT_LABEL, L"Label");
}

void MessageWnd::Notify(TNotifyUI& msg) {
    WindowImplBase::Notify(msg);
}

void MessageWnd::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) {
        return;
    }
    const CDuiString& name = msg.pSender->GetName();
    if (name == UniversialConst::OK_BUTTON) {
        Close(BUTTON_RESULT_OK);
    } else if (name == UniversialConst::CLOSE_BUTTON || name == UniversialConst::CANCEL_BUTTON) {
        Close(BUTTON_RESULT_CANCEL);
    } else if (name == UniversialConst::RETRY_BUTTON) {
        Close(BUTTON_RESULT_RETRY);
    }
}

void MessageWnd::OnCancel() {
    Close(BUTTON_RESULT_CANCEL);
}

void MessageWnd::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

LRESULT MessageWnd::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT MessageWnd::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}
