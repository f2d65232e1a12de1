// The leaf controls' attributes and behaviour (their painting is in painter.cpp; the ActiveX
// host is in activex.cpp).
#include "duilib/UIControls.h"
#include "attributes.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib {

namespace {

bool Is(LPCWSTR name, LPCWSTR wanted) {
    return name && wcscmp(name, wanted) == 0;
}

} // namespace

LPVOID CLabelUI::GetInterface(LPCWSTR name) {
    return Is(name, L"Label") ? this : CControlUI::GetInterface(name);
}

void CLabelUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (Is(name, L"textpadding")) {
        SetTextPadding(duilib::ParseRect(value));
    } else if (Is(name, L"disabledtextcolor")) {
        SetDisabledTextColor(duilib::ParseColor(value));
    } else if (Is(name, L"endellipsis")) {
        SetEndEllipsis(duilib::ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CLabelUI::SetTextPadding(const RECT& rc) {
    m_textPadding = rc;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
    m_disabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetEndEllipsis(bool ellipsis) {
    m_endEllipsis = ellipsis;
    Invalidate();
}

LPVOID CTextUI::GetInterface(LPCWSTR name) {
    return Is(name, L"Text") ? this : CLabelUI::GetInterface(name);
}

CButtonUI::CButtonUI() {
    m_textStyle |= duilib::kTextCenter;
}

LPVOID CButtonUI::GetInterface(LPCWSTR name) {
    return Is(name, L"Button") ? this : CLabelUI::GetInterface(name);
}

void CButtonUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (Is(name, L"normalimage")) {
        SetNormalImage(value);
    } else if (Is(name, L"hotimage")) {
        SetHotImage(value);
    } else if (Is(name, L"pushedimage")) {
        SetPushedImage(value);
    } else if (Is(name, L"foreimage")) {
        SetForeImage(value);
    } else if (Is(name, L"hotbkcolor")) {
        SetHotBkColor(duilib::ParseColor(value));
    } else if (Is(name, L"pushedbkcolor")) {
        SetPushedBkColor(duilib::ParseColor(value));
    } else if (Is(name, L"hottextcolor")) {
        SetHotTextColor(duilib::ParseColor(value));
    } else if (Is(name, L"pushedtextcolor")) {
        SetPushedTextColor(duilib::ParseColor(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CButtonUI::SetNormalImage(LPCWSTR image) {
    m_normalImage = image;
    Invalidate();
}

void CButtonUI::SetHotImage(LPCWSTR image) {
    m_hotImage = image;
    Invalidate();
}

void CButtonUI::SetPushedImage(LPCWSTR image) {
    m_pushedImage = image;
    Invalidate();
}

void CButtonUI::SetForeImage(LPCWSTR image) {
    m_foreImage = image;
    Invalidate();
}

void CButtonUI::SetHotBkColor(DWORD color) {
    m_hotBkColor = color;
    Invalidate();
}

void CButtonUI::SetPushedBkColor(DWORD color) {
    m_pushedBkColor = color;
    Invalidate();
}

void CButtonUI::SetHotTextColor(DWORD color) {
    m_hotTextColor = color;
    Invalidate();
}

void CButtonUI::SetPushedTextColor(DWORD color) {
    m_pushedTextColor = color;
    Invalidate();
}

void CButtonUI::DoClick() {
    if (m_manager && IsEnabled()) {
        m_manager->SendNotify(this, DUI_MSGTYPE_CLICK);
    }
}

LPVOID CProgressUI::GetInterface(LPCWSTR name) {
    return Is(name, L"Progress") ? this : CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int value) {
    m_min = value;
    SetValue(m_value);
}

void CProgressUI::SetMaxValue(int value) {
    m_max = value;
    SetValue(m_value);
}

void CProgressUI::SetValue(int value) {
    m_value = std::max(m_min, std::min(value, std::max(m_min, m_max)));
    Invalidate();
}

void CProgressUI::SetForeColor(DWORD color) {
    m_foreColor = color;
    Invalidate();
}

void CProgressUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (Is(name, L"min")) {
        SetMinValue(duilib::ParseInt(value));
    } else if (Is(name, L"max")) {
        SetMaxValue(duilib::ParseInt(value));
    } else if (Is(name, L"value")) {
        SetValue(duilib::ParseInt(value));
    } else if (Is(name, L"forecolor")) {
        SetForeColor(duilib::ParseColor(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

LPVOID CRichEditUI::GetInterface(LPCWSTR name) {
    return Is(name, L"RichEdit") ? this : CContainerUI::GetInterface(name);
}

void CRichEditUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (Is(name, L"readonly")) {
        SetReadOnly(duilib::ParseBool(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace DuiLib
