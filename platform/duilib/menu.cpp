// Popup menus.
#include "duilib/UIMenu.h"
#include "duilib/UIDlgBuilder.h"
#include "window_host.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace DuiLib {

LPVOID CMenuElementUI::GetInterface(LPCWSTR name) {
    return name && wcscmp(name, L"MenuElement") == 0 ? this
                                                     : CListContainerElementUI::GetInterface(name);
}

void CMenuElementUI::DoClick() {
    if (m_manager && IsEnabled()) {
        m_manager->SendNotify(this, DUI_MSGTYPE_ITEMCLICK);
    }
}

CMenuUI::CMenuUI() {
    SetHotItemBkColor(0xFFF3F6FB);
}

LPVOID CMenuUI::GetInterface(LPCWSTR name) {
    return name && wcscmp(name, L"Menu") == 0 ? this : CListUI::GetInterface(name);
}

CMenuWnd::~CMenuWnd() {
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
}

void CMenuWnd::Init(CMenuElementUI* /*owner*/, const CDuiString& xml, POINT point,
                    CPaintManagerUI* mainManager, std::map<CDuiString, bool>* /*checkInfo*/,
                    DWORD alignment) {
    if (m_hWnd || !mainManager || !mainManager->GetPaintWindow()) {
        return;
    }
    m_xml = xml;
    m_target = mainManager->GetPaintWindow();
    if (!Create(m_target, L"menu", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
        return;
    }
    if (auto* host = duilib::HostOf(m_hWnd)) {
        // A popup closes itself when the user clicks elsewhere (see the host's close handling).
        host->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    }
    RECT rc{};
    GetWindowRect(m_hWnd, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    const int x = (alignment & eMenuAlignment_Right) ? point.x - width : point.x;
    const int y = (alignment & eMenuAlignment_Bottom) ? point.y - height : point.y;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(true, true);
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_ITEMCLICK) {
        Clicked(msg.pSender);
        return;
    }
    WindowImplBase::Notify(msg);
}

void CMenuWnd::OnClick(TNotifyUI& msg) {
    Clicked(msg.pSender);
}

void CMenuWnd::Clicked(CControlUI* item) {
    if (!item || item->GetName().IsEmpty()) {
        return;
    }
    const CDuiString& name = item->GetName();
    const size_t bytes = (static_cast<size_t>(name.GetLength()) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(std::malloc(bytes));
    if (copy) {
        std::memcpy(copy, name.GetData(), bytes);
        // Posted, not sent: the receiver may well delete this menu while handling it.
        if (!PostMessageW(m_target, DUI_MENU_CLICK_MESSAGE, reinterpret_cast<WPARAM>(copy), 0)) {
            CPaintManagerUI::DeletePtr(copy);
        }
    }
    Close(IDOK);
}

} // namespace DuiLib
