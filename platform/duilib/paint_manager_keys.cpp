// CPaintManagerUI: the keyboard of a window, moving the focus over its buttons and pressing
// them, as a Windows dialog does.
#include "duilib/UIContainer.h"
#include "duilib/UIControl.h"
#include "key_input.h"

#include <vector>

namespace DuiLib {

namespace {

constexpr LPARAM kWasDown = 1 << 30; // lParam: a held key repeating

bool IsButton(CControlUI* control) {
    return control->GetInterface(L"Button") != nullptr;
}

// Enabled and on screen: it and every container above it visible and enabled (a button on a
// tab page that is not selected is hidden with its page).
bool CanBePressed(const CControlUI* control) {
    for (const CControlUI* c = control; c; c = c->GetParent()) {
        if (!c->IsVisible() || !c->IsEnabled()) {
            return false;
        }
    }
    return true;
}

void CollectButtons(CControlUI* control, std::vector<CControlUI*>& out) {
    if (!control->IsVisible() || !control->IsEnabled()) {
        return;
    }
    if (IsButton(control)) {
        out.push_back(control);
    }
    if (auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"))) {
        for (int i = 0; i < container->GetCount(); ++i) {
            CollectButtons(container->GetItemAt(i), out);
        }
    }
}

} // namespace

CControlUI* CPaintManagerUI::UsableButton(const std::wstring& name) const {
    if (name.empty()) {
        return nullptr;
    }
    CControlUI* control = FindControl(name.c_str());
    return control && IsButton(control) && CanBePressed(control) ? control : nullptr;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == m_focus) {
        return;
    }
    CControlUI* old = m_focus;
    m_focus = control;
    Invalidate();
    // A listener may move the focus again or free either control; ReapControl keeps m_focus
    // honest, and the notifications lose a sender that goes.
    if (old) {
        SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (control && m_focus == control) {
        SendNotify(control, DUI_MSGTYPE_SETFOCUS);
    }
}

void CPaintManagerUI::MoveFocus(bool forward) {
    std::vector<CControlUI*> buttons;
    if (m_root) {
        CollectButtons(m_root, buttons);
    }
    if (buttons.empty()) {
        return;
    }
    const auto count = static_cast<int>(buttons.size());
    int at = -1;
    for (int i = 0; i < count; ++i) {
        if (buttons[static_cast<size_t>(i)] == m_focus) {
            at = i;
        }
    }
    int next;
    if (at < 0) {
        next = forward ? 0 : count - 1;
    } else {
        next = (at + (forward ? 1 : count - 1)) % count;
    }
    m_focusMark = true;
    SetFocus(buttons[static_cast<size_t>(next)]);
}

bool CPaintManagerUI::HandleKeyDown(WPARAM vk, LPARAM lParam) {
    const bool repeat = (lParam & kWasDown) != 0;
    CControlUI* focused = m_focus && CanBePressed(m_focus) ? m_focus : nullptr;
    CControlUI* target = nullptr;
    switch (vk) {
    case VK_TAB:
        if (!m_root) {
            return false;
        }
        MoveFocus(!duilib::ShiftWasHeld());
        return true;
    case VK_SPACE:
        target = focused;
        break;
    case VK_RETURN:
        target = focused ? focused : GetDefaultButton();
        break;
    case VK_ESCAPE:
        target = GetCancelButton();
        break;
    default:
        return false;
    }
    if (!target) {
        return false;
    }
    // A held key presses once: the window that opens next must not be answered by it too.
    if (!repeat) {
        target->DoClick();
    }
    return true;
}

} // namespace DuiLib
