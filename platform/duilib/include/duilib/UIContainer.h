// Containers: a control that owns its children and lays them out. The vertical and horizontal
// layouts stack children; the tab layout shows one child at a time.
#pragma once

#include "duilib/UIControl.h"

#include <vector>

namespace DuiLib {

class DUILIB_API CContainerUI : public CControlUI {
public:
    ~CContainerUI() override;
    LPCWSTR GetClass() const override { return L"ContainerUI"; }
    LPVOID GetInterface(LPCWSTR name) override;

    // The container owns what it is given; Remove frees the control.
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    virtual bool Remove(CControlUI* control);
    virtual bool RemoveAt(int index);
    virtual void RemoveAll();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;

    RECT GetInset() const { return m_inset; }
    void SetInset(const RECT& rc) { m_inset = rc; }
    int GetChildPadding() const { return m_childPadding; }
    void SetChildPadding(int padding) { m_childPadding = padding; }

    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    void SetPos(RECT rc) override;
    CControlUI* FindByName(LPCWSTR name) override;
    CControlUI* FindAt(POINT pt) override;
    void DoPaint(void* context) override;
    // A control of this subtree by name (the container itself excluded); null when absent.
    CControlUI* FindSubControl(LPCWSTR name);

    // Moves the owner to every child (used when a subtree is attached).
    void PropagateOwner();

protected:
    // Lays the children out in the inner rectangle; vertical or horizontal stacking.
    void LayoutStacked(RECT inner, bool vertical);
    void LayoutFloating(RECT inner);

    std::vector<CControlUI*> m_items;
    RECT m_inset{};
    int m_childPadding = 0;
};

class DUILIB_API CVerticalLayoutUI : public CContainerUI {
public:
    LPCWSTR GetClass() const override { return L"VerticalLayoutUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    void SetPos(RECT rc) override;
};

class DUILIB_API CHorizontalLayoutUI : public CContainerUI {
public:
    LPCWSTR GetClass() const override { return L"HorizontalLayoutUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    void SetPos(RECT rc) override;
};

// Shows the selected child only. Selecting an index outside the children changes nothing.
class DUILIB_API CTabLayoutUI : public CContainerUI {
public:
    LPCWSTR GetClass() const override { return L"TabLayoutUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_curSel; }
    bool SelectItem(int index);
    bool SelectItem(CControlUI* control);
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    void SetPos(RECT rc) override;

private:
    void ShowSelected();
    int m_curSel = -1;
    int m_initialSel = 0;
};

} // namespace DuiLib
