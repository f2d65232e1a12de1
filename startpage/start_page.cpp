#include "start_page.h"

#include "app_messages.h"

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/util/system.h>

#include <shellapi.h>

#include <string>

using namespace DuiLib;

CStartPage* g_startPage = nullptr;

namespace {

// Carries dropped data between processes of different integrity levels.
constexpr UINT kCopyGlobalData = 0x49;

} // namespace

CStartPage::CStartPage(HWND mainWindow) {
    Create(mainWindow, L"首页", WS_POPUP | WS_VISIBLE, WS_EX_ACCEPTFILES, CW_USEDEFAULT,
           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
}

CStartPage::~CStartPage() {
    delete m_popupMenu;
}

LPCWSTR CStartPage::GetWindowClassName() const {
    return L"StartPageWnd";
}

CDuiString CStartPage::GetSkinFile() {
    return L"StartPageUI.xml";
}

HWND CStartPage::Owner() const {
    return GetParent(m_hWnd);
}

void CStartPage::InitWindow() {
    m_headImageBtn = static_cast<CButtonUI*>(m_PaintManager.FindControl(L"headimgbtn"));
    m_nicknameLbl = static_cast<CLabelUI*>(m_PaintManager.FindControl(L"nicknamelbl"));
    if (m_headImageBtn && !m_headImageBtn->GetInterface(L"Button")) {
        m_headImageBtn = nullptr;
    }
    if (m_nicknameLbl && !m_nicknameLbl->GetInterface(L"Label")) {
        m_nicknameLbl = nullptr;
    }

    HttpAction::GetInstance()->GetNewSoftwareList(m_hWnd, UM_SOFTWARE_LIST);

    ChangeWndMessageFilterOk(WM_DROPFILES, 1);
    ChangeWndMessageFilterOk(kCopyGlobalData, 1);
    DragAcceptFiles(m_hWnd, TRUE);

    CControlUI* list = m_PaintManager.FindControl(L"HistoryList");
    m_historyList = list ? static_cast<CListUI*>(list->GetInterface(L"List")) : nullptr;
    if (m_historyList && m_historyList->GetHeader()) {
        m_historyList->GetHeader()->SetVisible(false);
    }
    RefreshHistoryList();

    User::GetInstance()->ResetOverdueLoginStatus();
    RefreshUserPanel(false);
}

LRESULT CStartPage::OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    // Replies on their way when the page goes would be dropped with their records.
    HttpAction::DiscardPosted(m_hWnd, UM_SOFTWARE_LIST, HttpAction::Posted::Reply);
    HttpAction::DiscardPosted(m_hWnd, UM_DOWNLOAD_DONE, HttpAction::Posted::DownloadedFile);
    HttpAction::DiscardPosted(m_hWnd, UM_DOWNLOAD_PROGRESS, HttpAction::Posted::Progress);
    return WindowImplBase::OnDestroy(msg, wParam, lParam, bHandled);
}

void CStartPage::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    if (g_startPage == this) {
        g_startPage = nullptr;
    }
    delete this;
}

void CStartPage::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        // A row's delete button takes its row, and itself, away: the default handling, which
        // reads the sender, must come first then.
        if (msg.pSender && msg.pSender->GetName() == L"DeleteBtn") {
            WindowImplBase::Notify(msg);
            OnControlClick(msg.pSender);
            return;
        }
        if (msg.pSender) {
            OnControlClick(msg.pSender);
        }
    } else if (msg.sType == DUI_MSGTYPE_ITEMSELECT) {
        OpenHistoryItem();
    }
    WindowImplBase::Notify(msg);
}

void CStartPage::OnControlClick(CControlUI* sender) {
    const CDuiString& name = sender->GetName();
    if (name == L"headimgbtn") {
        OnHeadImageClick();
    } else if (name == L"servicebtn") {
        OpenPopup(L"OfficialAccount.xml");
    } else if (name == L"ClearHisBtn") {
        ClearHistory();
    } else if (name == L"DeleteBtn") {
        DeleteHistoryItem(sender);
    } else if (name == L"OpenFileBtn") {
        SendMessageW(Owner(), UM_OPEN_DOCUMENT, 1, 0);
    } else if (sender->GetParent() && sender->GetParent()->GetName() == L"rcmdHor") {
        OpenRecommended(sender);
    }
}

LRESULT CStartPage::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    bHandled = FALSE;
    switch (msg) {
    case WM_DROPFILES:
        // The main window takes the drop as its own; the page only passes it on.
        SendMessageW(Owner(), WM_DROPFILES, wParam, lParam);
        break;
    case UM_FOLLOW_MAIN:
        CenterOverOwner();
        break;
    case UM_DOWNLOAD_DONE:
        if (lParam == kHeadImageDownload) {
            OnHeadImageDownloaded(wParam);
        } else if (lParam >= kFirstLogoDownload) {
            OnLogoDownloaded(wParam, lParam);
        } else {
            delete reinterpret_cast<std::string*>(wParam);
        }
        break;
    case UM_DOWNLOAD_PROGRESS:
        // Logos and the head image report their progress too; the page shows none of it, but
        // each report is a heap record that is ours to free.
        delete reinterpret_cast<ProgressInfo*>(wParam);
        break;
    case UM_SOFTWARE_LIST:
        OnSoftwareList(wParam);
        break;
    case UM_USER_CHANGED:
        RefreshUserPanel(false);
        break;
    case UM_MENU_CLICK:
        OnMenuClick(wParam);
        bHandled = TRUE;
        break;
    default:
        break;
    }
    return 0;
}

void CStartPage::OnMenuClick(WPARAM name) {
    if (!name) {
        return;
    }
    auto* text = reinterpret_cast<wchar_t*>(name);
    const std::wstring item(text);
    CPaintManagerUI::DeletePtr(text);
    if (item == L"qqqueryme") {
        SendMessageW(Owner(), UM_CONTACT_SERVICE, 0, 0);
    } else if (item == L"updateme") {
        SendMessageW(Owner(), UM_CHECK_UPDATE, 0, 0);
    } else if (item == L"exitme") {
        RefreshUserPanel(true);
    }
}

void CStartPage::CenterOverOwner() {
    RECT page{};
    RECT owner{};
    if (!GetWindowRect(m_hWnd, &page) || !GetWindowRect(Owner(), &owner)) {
        return;
    }
    const int left = owner.left + (owner.right - owner.left) / 2 - (page.right - page.left) / 2;
    const int top = owner.top + (owner.bottom - owner.top) / 2 - (page.bottom - page.top) / 2;
    SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
}
