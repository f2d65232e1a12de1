// CMenuWnd: a popup menu built from a layout of the skin. A click on one of its items (a
// MenuElement, or a named button of the layout) posts DUI_MENU_CLICK_MESSAGE (1145) to the
// window of the paint manager given to Init, with wParam a heap, zero-terminated wide string
// holding the item's name; the receiver frees it with CPaintManagerUI::DeletePtr. The menu then
// closes its window. The object belongs to whoever created it; deleting it closes the window if
// it is still open.
#pragma once

#include "duilib/UIList.h"
#include "duilib/WindowImplBase.h"

#include <map>

namespace DuiLib {

// An item of a menu; its text is drawn and a click on it notifies "itemclick".
class DUILIB_API CMenuElementUI : public CListContainerElementUI {
public:
    LPCWSTR GetClass() const override { return L"MenuElementUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    void DoClick() override;
    void DoPaint(void* context) override;
};

// Its rows light up under the mouse (itemhotbkcolor, a light grey-blue unless the layout says).
class DUILIB_API CMenuUI : public CListUI {
public:
    CMenuUI();
    LPCWSTR GetClass() const override { return L"MenuUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
};

class DUILIB_API CMenuWnd : public WindowImplBase {
public:
    CMenuWnd() = default;
    ~CMenuWnd() override;

    // Builds the menu from `xml`, places it at `point` (screen coordinates) by the alignment
    // flags (eMenuAlignment_Left/Right for the edge at point.x, Top/Bottom for point.y) and shows
    // it. `owner` and `checkInfo` are accepted for compatibility and not used. Does nothing
    // when called a second time or without a manager window.
    void Init(CMenuElementUI* owner, const CDuiString& xml, POINT point,
              CPaintManagerUI* mainManager, std::map<CDuiString, bool>* checkInfo = nullptr,
              DWORD alignment = eMenuAlignment_Left | eMenuAlignment_Top);

    CControlUI* FindControl(LPCWSTR name) { return m_PaintManager.FindControl(name); }

protected:
    CDuiString GetSkinFile() override { return m_xml; }
    LPCWSTR GetWindowClassName() const override { return L"MenuWnd"; }
    void Notify(TNotifyUI& msg) override;
    void OnClick(TNotifyUI& msg) override;

private:
    void Clicked(CControlUI* item);
    CDuiString m_xml;
    HWND m_target = nullptr;
};

} // namespace DuiLib
