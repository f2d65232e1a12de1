// CListUI: a vertical list of row elements under an optional header. Rows are containers
// (CListContainerElementUI) that a program builds from a row layout and adds; a click on a row
// selects it and sends "itemselect" (wParam the new index, lParam the previous one).
#pragma once

#include "duilib/UIContainer.h"

namespace DuiLib {

class CListUI;

class DUILIB_API CListHeaderUI : public CHorizontalLayoutUI {
public:
    LPCWSTR GetClass() const override { return L"ListHeaderUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
};

class DUILIB_API CListContainerElementUI : public CHorizontalLayoutUI {
public:
    LPCWSTR GetClass() const override { return L"ListContainerElementUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    int GetIndex() const { return m_index; }
    void SetIndex(int index) { m_index = index; }
    CListUI* GetOwnerList() const { return m_list; }
    void SetOwnerList(CListUI* list) { m_list = list; }
    bool IsSelected() const { return m_selected; }
    // Selects this row in its list (which notifies); false when the row is in no list.
    bool Select(bool select = true);
    void SetSelectedState(bool selected);
    void DoClick() override;
    void DoPaint(void* context) override;

private:
    CListUI* m_list = nullptr;
    int m_index = -1;
    bool m_selected = false;
};

class DUILIB_API CListUI : public CVerticalLayoutUI {
public:
    CListUI();
    LPCWSTR GetClass() const override { return L"ListUI"; }
    LPVOID GetInterface(LPCWSTR name) override;

    CListHeaderUI* GetHeader() const { return m_header; }
    // Rows only: the header is not counted and never removed by these.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    int GetRowCount() const;
    CControlUI* GetRowAt(int index) const;

    // -1 when nothing is selected.
    int GetCurSel() const { return m_curSel; }
    // Selects a row and sends "itemselect" unless it was already selected. -1 clears the
    // selection. False for an index outside the rows.
    bool SelectItem(int index, bool takeFocus = false);
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;

private:
    void Reindex();
    CListHeaderUI* m_header;
    int m_curSel = -1;
    DWORD m_selectedBkColor = 0xFFE8F0FE;
    friend class CListContainerElementUI;

    DWORD m_hotBkColor = 0;

public:
    DWORD GetSelectedItemBkColor() const { return m_selectedBkColor; }
    // The background of the row under the mouse; 0 = rows do not follow the mouse.
    DWORD GetHotItemBkColor() const { return m_hotBkColor; }
    void SetHotItemBkColor(DWORD color) { m_hotBkColor = color; }
};

} // namespace DuiLib
