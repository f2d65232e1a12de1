// The list and its rows: rows are indexed in order, the header stays first and uncounted.
#include "duilib/UIList.h"
#include "attributes.h"

#include <cwchar>

namespace DuiLib {

namespace {

bool Is(LPCWSTR name, LPCWSTR wanted) {
    return name && wcscmp(name, wanted) == 0;
}

} // namespace

LPVOID CListHeaderUI::GetInterface(LPCWSTR name) {
    return Is(name, L"ListHeader") ? this : CHorizontalLayoutUI::GetInterface(name);
}

LPVOID CListContainerElementUI::GetInterface(LPCWSTR name) {
    return Is(name, L"ListContainerElement") || Is(name, L"ListItem")
               ? this
               : CHorizontalLayoutUI::GetInterface(name);
}

bool CListContainerElementUI::Select(bool select) {
    if (!m_list) {
        return false;
    }
    return m_list->SelectItem(select ? m_index : -1);
}

void CListContainerElementUI::SetSelectedState(bool selected) {
    m_selected = selected;
    Invalidate();
}

void CListContainerElementUI::DoClick() {
    if (m_list && IsEnabled()) {
        m_list->SelectItem(m_index);
    }
}

CListUI::CListUI() : m_header(new CListHeaderUI) {
    m_header->SetVisible(false); // shown once the layout gives it content
    CContainerUI::AddAt(m_header, 0);
}

LPVOID CListUI::GetInterface(LPCWSTR name) {
    return Is(name, L"List") ? this : CVerticalLayoutUI::GetInterface(name);
}

bool CListUI::Add(CControlUI* control) {
    return AddAt(control, GetRowCount());
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!control) {
        return false;
    }
    // A header element in the layout becomes the list's header.
    if (auto* header = static_cast<CListHeaderUI*>(control->GetInterface(L"ListHeader"))) {
        const int old = GetItemIndex(m_header);
        m_items[static_cast<size_t>(old)] = header;
        delete m_header;
        m_header = header;
        header->SetOwner(m_manager, this);
        NeedParentUpdate();
        return true;
    }
    if (index < 0 || index > GetRowCount()) {
        return false;
    }
    if (!CVerticalLayoutUI::AddAt(control, index + 1)) {
        return false;
    }
    if (m_curSel >= index) {
        ++m_curSel;
    }
    Reindex();
    return true;
}

bool CListUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control) - 1;
    return index >= 0 && RemoveAt(index);
}

bool CListUI::RemoveAt(int index) {
    if (index < 0 || index >= GetRowCount()) {
        return false;
    }
    CVerticalLayoutUI::RemoveAt(index + 1);
    if (m_curSel == index) {
        m_curSel = -1;
    } else if (m_curSel > index) {
        --m_curSel;
    }
    Reindex();
    return true;
}

void CListUI::RemoveAll() {
    m_curSel = -1;
    while (GetRowCount() > 0) {
        CVerticalLayoutUI::RemoveAt(GetCount() - 1);
    }
}

int CListUI::GetRowCount() const {
    return GetCount() - 1;
}

CControlUI* CListUI::GetRowAt(int index) const {
    return index >= 0 && index < GetRowCount() ? GetItemAt(index + 1) : nullptr;
}

bool CListUI::SelectItem(int index, bool /*takeFocus*/) {
    if (index < -1 || index >= GetRowCount()) {
        return false;
    }
    if (index == m_curSel) {
        return true;
    }
    const int previous = m_curSel;
    m_curSel = index;
    Reindex();
    if (index >= 0 && m_manager) {
        m_manager->SendNotify(GetRowAt(index), DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index),
                              static_cast<LPARAM>(previous));
    }
    return true;
}

void CListUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (Is(name, L"itemselectedbkcolor")) {
        m_selectedBkColor = duilib::ParseColor(value);
    } else if (Is(name, L"itemhotbkcolor")) {
        m_hotBkColor = duilib::ParseColor(value);
    } else if (Is(name, L"header")) {
        m_header->SetVisible(!Is(value, L"hidden"));
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

void CListUI::Reindex() {
    for (int i = 0; i < GetRowCount(); ++i) {
        if (auto* row = static_cast<CListContainerElementUI*>(
                GetRowAt(i)->GetInterface(L"ListContainerElement"))) {
            row->SetOwnerList(this);
            row->SetIndex(i);
            row->SetSelectedState(i == m_curSel);
        }
    }
}

} // namespace DuiLib
