// Containers and the stacking layouts.
#include "duilib/UIContainer.h"
#include "attributes.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib {

CContainerUI::~CContainerUI() {
    for (CControlUI* item : m_items) {
        delete item;
    }
}

LPVOID CContainerUI::GetInterface(LPCWSTR name) {
    if (name && wcscmp(name, L"Container") == 0) {
        return this;
    }
    return CControlUI::GetInterface(name);
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount() ||
        std::find(m_items.begin(), m_items.end(), control) != m_items.end()) {
        return false;
    }
    m_items.insert(m_items.begin() + index, control);
    control->SetOwner(m_manager, this);
    NeedParentUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    return RemoveAt(GetItemIndex(control));
}

bool CContainerUI::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    CControlUI* control = m_items[static_cast<size_t>(index)];
    m_items.erase(m_items.begin() + index);
    delete control;
    NeedParentUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    auto items = std::move(m_items);
    m_items.clear();
    for (CControlUI* item : items) {
        delete item;
    }
    NeedParentUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto it = std::find(m_items.begin(), m_items.end(), control);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

void CContainerUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    const std::wstring key = name ? name : L"";
    if (key == L"inset") {
        SetInset(duilib::ParseRect(value));
    } else if (key == L"childpadding") {
        SetChildPadding(duilib::ParseInt(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CContainerUI::PropagateOwner() {
    for (CControlUI* item : m_items) {
        item->SetOwner(m_manager, this);
    }
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayoutFloating(rc);
}

void CContainerUI::LayoutFloating(RECT inner) {
    inner.left += m_inset.left;
    inner.top += m_inset.top;
    inner.right -= m_inset.right;
    inner.bottom -= m_inset.bottom;
    for (CControlUI* item : m_items) {
        if (item->IsFloat()) {
            const RECT pos = item->GetFloatPos();
            item->SetPos(RECT{inner.left + pos.left, inner.top + pos.top, inner.left + pos.right,
                              inner.top + pos.bottom});
        } else {
            item->SetPos(inner); // a plain container stacks its children on top of each other
        }
    }
}

void CContainerUI::LayoutStacked(RECT inner, bool vertical) {
    inner.left += m_inset.left;
    inner.top += m_inset.top;
    inner.right -= m_inset.right;
    inner.bottom -= m_inset.bottom;
    const int available = vertical ? inner.bottom - inner.top : inner.right - inner.left;
    int fixedTotal = 0;
    int flexible = 0;
    int visible = 0;
    for (CControlUI* item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) {
            continue;
        }
        ++visible;
        const RECT pad = item->GetPadding();
        const int size = vertical ? item->GetFixedHeight() : item->GetFixedWidth();
        fixedTotal += vertical ? pad.top + pad.bottom : pad.left + pad.right;
        if (size > 0) {
            fixedTotal += size;
        } else {
            ++flexible;
        }
    }
    fixedTotal += std::max(visible - 1, 0) * m_childPadding;
    const int share = flexible > 0 ? std::max(available - fixedTotal, 0) / flexible : 0;
    int cursor = vertical ? inner.top : inner.left;
    for (CControlUI* item : m_items) {
        if (item->IsFloat()) {
            const RECT pos = item->GetFloatPos();
            item->SetPos(RECT{inner.left + pos.left, inner.top + pos.top, inner.left + pos.right,
                              inner.top + pos.bottom});
            continue;
        }
        if (!item->IsVisible()) {
            continue;
        }
        const RECT pad = item->GetPadding();
        const int fixed = vertical ? item->GetFixedHeight() : item->GetFixedWidth();
        const int size = fixed > 0 ? fixed : share;
        RECT pos{};
        if (vertical) {
            cursor += pad.top;
            const int width = item->GetFixedWidth();
            const int left = inner.left + pad.left;
            pos = RECT{left, cursor, width > 0 ? left + width : inner.right - pad.right,
                       cursor + size};
            cursor += size + pad.bottom + m_childPadding;
        } else {
            cursor += pad.left;
            const int height = item->GetFixedHeight();
            const int top = inner.top + pad.top;
            pos = RECT{cursor, top, cursor + size,
                       height > 0 ? top + height : inner.bottom - pad.bottom};
            cursor += size + pad.right + m_childPadding;
        }
        item->SetPos(pos);
    }
}

CControlUI* CContainerUI::FindByName(LPCWSTR name) {
    if (m_name == name) {
        return this;
    }
    for (CControlUI* item : m_items) {
        if (CControlUI* found = item->FindByName(name)) {
            return found;
        }
    }
    return nullptr;
}

CControlUI* CContainerUI::FindSubControl(LPCWSTR name) {
    for (CControlUI* item : m_items) {
        if (CControlUI* found = item->FindByName(name)) {
            return found;
        }
    }
    return nullptr;
}

CControlUI* CContainerUI::FindAt(POINT pt) {
    if (!CControlUI::FindAt(pt)) {
        return nullptr;
    }
    // The last child is drawn on top, so it is hit first.
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        if (CControlUI* found = (*it)->FindAt(pt)) {
            return found;
        }
    }
    return this;
}

LPVOID CVerticalLayoutUI::GetInterface(LPCWSTR name) {
    if (name && wcscmp(name, L"VerticalLayout") == 0) {
        return this;
    }
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayoutStacked(rc, true);
}

LPVOID CHorizontalLayoutUI::GetInterface(LPCWSTR name) {
    if (name && wcscmp(name, L"HorizontalLayout") == 0) {
        return this;
    }
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayoutStacked(rc, false);
}

LPVOID CTabLayoutUI::GetInterface(LPCWSTR name) {
    if (name && wcscmp(name, L"TabLayout") == 0) {
        return this;
    }
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) {
        return false;
    }
    if (m_curSel < 0 && GetCount() > m_initialSel) {
        m_curSel = m_initialSel;
    } else if (m_curSel >= index && GetCount() > 1) {
        ++m_curSel;
    }
    ShowSelected();
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control)) {
        return false;
    }
    if (m_curSel == index) {
        m_curSel = GetCount() > 0 ? 0 : -1;
    } else if (m_curSel > index) {
        --m_curSel;
    }
    ShowSelected();
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_curSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    m_curSel = index;
    ShowSelected();
    NeedParentUpdate();
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) {
    return SelectItem(GetItemIndex(control));
}

void CTabLayoutUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (name && wcscmp(name, L"selectedid") == 0) {
        m_initialSel = duilib::ParseInt(value);
        if (m_initialSel < GetCount()) {
            SelectItem(m_initialSel);
        }
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CTabLayoutUI::ShowSelected() {
    for (int i = 0; i < GetCount(); ++i) {
        // Set directly: SetVisible would lay the window out once per page.
        CControlUI* item = GetItemAt(i);
        if (item->IsVisible() != (i == m_curSel)) {
            item->SetVisible(i == m_curSel);
        }
    }
}

void CTabLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayoutFloating(rc);
}

} // namespace DuiLib
