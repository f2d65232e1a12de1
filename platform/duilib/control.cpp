// CControlUI: the attributes every control understands, custom attributes and the tree links.
#include "duilib/UIContainer.h"
#include "attributes.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace duilib {

RECT ParseRect(const wchar_t* text) {
    long values[4] = {0, 0, 0, 0};
    const wchar_t* p = text ? text : L"";
    for (int i = 0; i < 4 && *p; ++i) {
        wchar_t* end = nullptr;
        values[i] = wcstol(p, &end, 10);
        p = end;
        while (*p == L',' || *p == L' ') {
            ++p;
        }
    }
    return RECT{static_cast<LONG>(values[0]), static_cast<LONG>(values[1]),
                static_cast<LONG>(values[2]), static_cast<LONG>(values[3])};
}

SIZE ParseSize(const wchar_t* text) {
    const RECT rc = ParseRect(text);
    return SIZE{rc.left, rc.top};
}

UINT ApplyAlign(UINT style, const wchar_t* text) {
    std::wstring word;
    const std::wstring value = text ? text : L"";
    for (size_t i = 0; i <= value.size(); ++i) {
        const wchar_t c = i < value.size() ? value[i] : L' ';
        if (c != L' ' && c != L',') {
            word += c;
            continue;
        }
        if (word == L"left" || word == L"center" || word == L"right") {
            style &= ~(kTextCenter | kTextRight);
            style |= word == L"center" ? kTextCenter : word == L"right" ? kTextRight : 0;
        } else if (word == L"top" || word == L"vcenter" || word == L"bottom") {
            style &= ~(kTextVCenter | kTextBottom);
            style |= word == L"vcenter" ? kTextVCenter : word == L"bottom" ? kTextBottom : 0;
        } else if (word == L"wrap") {
            style = (style & ~kTextSingleLine) | kTextWordBreak;
        }
        word.clear();
    }
    return style;
}

DWORD ParseColor(const wchar_t* text) {
    if (!text) {
        return 0;
    }
    while (*text == L'#' || *text == L' ') {
        ++text;
    }
    if (text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        text += 2;
    }
    DWORD color = static_cast<DWORD>(wcstoul(text, nullptr, 16));
    if (wcslen(text) <= 6) {
        color |= 0xFF000000u; // no alpha given: opaque
    }
    return color;
}

bool ParseBool(const wchar_t* text) {
    return text && wcscmp(text, L"true") == 0;
}

int ParseInt(const wchar_t* text) {
    return text ? static_cast<int>(wcstol(text, nullptr, 10)) : 0;
}

} // namespace duilib

namespace DuiLib {

using duilib::ParseBool;
using duilib::ParseColor;
using duilib::ParseInt;
using duilib::ParseRect;

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_manager) {
        m_manager->ReapControl(this);
    }
}

LPVOID CControlUI::GetInterface(LPCWSTR name) {
    return name && wcscmp(name, L"Control") == 0 ? this : nullptr;
}

void CControlUI::SetText(LPCWSTR text) {
    m_text = text;
    Invalidate();
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible != visible) {
        m_visible = visible;
        NeedParentUpdate();
    }
}

void CControlUI::SetEnabled(bool enabled) {
    m_enabled = enabled;
    Invalidate();
}

void CControlUI::SetBkImage(LPCWSTR image) {
    m_bkImage = image;
    Invalidate();
}

void CControlUI::SetBkColor(DWORD color) {
    m_bkColor = color;
    Invalidate();
}

void CControlUI::SetTextColor(DWORD color) {
    m_textColor = color;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    m_borderRound = SIZE{std::max<LONG>(round.cx, 0), std::max<LONG>(round.cy, 0)};
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    m_borderSize = std::max(size, 0);
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD color) {
    m_borderColor = color;
    Invalidate();
}

void CControlUI::SetFixedWidth(int cx) {
    m_fixed.cx = cx < 0 ? 0 : cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    m_fixed.cy = cy < 0 ? 0 : cy;
    NeedParentUpdate();
}

void CControlUI::SetPos(RECT rc) {
    m_pos = rc;
}

CControlUI* CControlUI::GetParent() const {
    return m_parent;
}

void CControlUI::SetOwner(CPaintManagerUI* manager, CContainerUI* parent) {
    m_manager = manager;
    m_parent = parent;
    if (auto* container = static_cast<CContainerUI*>(GetInterface(L"Container"))) {
        container->PropagateOwner();
    }
}

void CControlUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    const std::wstring key = name ? name : L"";
    if (key == L"name") {
        SetName(value);
    } else if (key == L"text") {
        SetText(value);
    } else if (key == L"tooltip") {
        SetToolTip(value);
    } else if (key == L"visible") {
        SetVisible(ParseBool(value));
    } else if (key == L"enabled") {
        SetEnabled(ParseBool(value));
    } else if (key == L"bkimage") {
        SetBkImage(value);
    } else if (key == L"bkcolor") {
        SetBkColor(ParseColor(value));
    } else if (key == L"textcolor") {
        SetTextColor(ParseColor(value));
    } else if (key == L"font") {
        SetFont(ParseInt(value));
    } else if (key == L"width") {
        SetFixedWidth(ParseInt(value));
    } else if (key == L"height") {
        SetFixedHeight(ParseInt(value));
    } else if (key == L"padding") {
        SetPadding(ParseRect(value));
    } else if (key == L"float") {
        SetFloat(ParseBool(value));
    } else if (key == L"pos") {
        m_floatPos = ParseRect(value);
        if (m_floatPos.right > m_floatPos.left) {
            m_fixed.cx = m_floatPos.right - m_floatPos.left;
        }
        if (m_floatPos.bottom > m_floatPos.top) {
            m_fixed.cy = m_floatPos.bottom - m_floatPos.top;
        }
    } else if (key == L"align") {
        m_textStyle = duilib::ApplyAlign(m_textStyle, value);
    } else if (key == L"borderround") {
        SetBorderRound(duilib::ParseSize(value));
    } else if (key == L"bordersize") {
        SetBorderSize(ParseInt(value));
    } else if (key == L"bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (!key.empty()) {
        AddCustomAttribute(name, value);
    }
}

void CControlUI::ApplyAttributeList(LPCWSTR list) {
    const wchar_t* p = list ? list : L"";
    for (;;) {
        while (*p && iswspace(static_cast<wint_t>(*p))) {
            ++p;
        }
        if (!*p) {
            return;
        }
        std::wstring name;
        while (*p && *p != L'=' && !iswspace(static_cast<wint_t>(*p))) {
            name += *p++;
        }
        while (*p && *p != L'=') {
            ++p;
        }
        if (*p != L'=') {
            return;
        }
        ++p;
        while (*p == L' ') {
            ++p;
        }
        const wchar_t quote = *p;
        if (quote != L'"' && quote != L'\'') {
            return;
        }
        ++p;
        std::wstring value;
        while (*p && *p != quote) {
            value += *p++;
        }
        if (!*p) {
            return; // unterminated: ignore the rest
        }
        ++p;
        SetAttribute(name.c_str(), value.c_str());
    }
}

void CControlUI::AddCustomAttribute(LPCWSTR name, LPCWSTR value) {
    if (name && *name) {
        m_custom[name] = value ? value : L"";
    }
}

LPCWSTR CControlUI::GetCustomAttribute(LPCWSTR name) const {
    auto it = name ? m_custom.find(name) : m_custom.end();
    return it == m_custom.end() ? nullptr : it->second.c_str();
}

bool CControlUI::RemoveCustomAttribute(LPCWSTR name) {
    return name && m_custom.erase(name) > 0;
}

void CControlUI::Invalidate() {
    if (m_manager) {
        m_manager->Invalidate();
    }
}

void CControlUI::NeedParentUpdate() {
    if (m_manager) {
        m_manager->NeedUpdate();
    }
}

CControlUI* CControlUI::FindByName(LPCWSTR name) {
    return m_name == name ? this : nullptr;
}

CControlUI* CControlUI::FindAt(POINT pt) {
    if (!m_visible) {
        return nullptr;
    }
    return pt.x >= m_pos.left && pt.x < m_pos.right && pt.y >= m_pos.top && pt.y < m_pos.bottom
               ? this
               : nullptr;
}

void CControlUI::DoClick() {
    // A click on a plain part of a row or a button's decoration belongs to what contains it.
    if (m_parent) {
        m_parent->DoClick();
    }
}

} // namespace DuiLib
