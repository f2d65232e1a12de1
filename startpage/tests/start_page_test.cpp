#include <startpage/start_page.h>

#include "page_test_support.h"

#include <startpage/app_messages.h>

#include <varnix/user/user.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace pagetest;

namespace {

// The menu's way of naming an item: a heap copy that the receiver frees.
WPARAM ItemName(const wchar_t* name) {
    const size_t bytes = (std::wcslen(name) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(std::malloc(bytes));
    std::memcpy(copy, name, bytes);
    return reinterpret_cast<WPARAM>(copy);
}

class StartPageWindow : public PageTest {};

} // namespace

TEST_F(StartPageWindow, IsAnAcceptingPopupOwnedByTheMainWindow) {
    ObservedPage* page = OpenPage();
    HWND hwnd = page->GetHWND();
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    EXPECT_STREQ(className, L"StartPageWnd");
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    EXPECT_STREQ(text, L"首页");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & (WS_POPUP | WS_VISIBLE),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetParent(hwnd), m_owner->GetHWND());
    for (const wchar_t* name : {L"HistoryList", L"OpenFileBtn", L"ClearHisBtn", L"headimgbtn",
                                L"nicknamelbl", L"servicebtn", L"rcmdHor"}) {
        EXPECT_NE(page->Find(name), nullptr) << name;
    }
    ASSERT_NE(page->History(), nullptr);
    EXPECT_FALSE(page->History()->GetHeader()->IsVisible());
    ClosePage();
}

TEST_F(StartPageWindow, FollowsTheMainWindowToItsCentre) {
    ObservedPage* page = OpenPage();
    SetWindowPos(m_owner->GetHWND(), nullptr, 31, 17, 1001, 601, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(SendMessageW(page->GetHWND(), UM_FOLLOW_MAIN, 0, 0), 0);
    RECT rc{};
    GetWindowRect(page->GetHWND(), &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    EXPECT_EQ(width, 1120) << "centring never resizes";
    EXPECT_EQ(rc.left, 31 + 1001 / 2 - width / 2);
    EXPECT_EQ(rc.top, 17 + 601 / 2 - height / 2);
}

TEST_F(StartPageWindow, ADropReachesTheMainWindowUnchanged) {
    ObservedPage* page = OpenPage();
    const WPARAM drop = 0x5a5a1234;
    EXPECT_EQ(SendMessageW(page->GetHWND(), WM_DROPFILES, drop, 77), 0);
    ASSERT_EQ(m_owner->received.size(), 1u);
    EXPECT_EQ(m_owner->received[0].msg, static_cast<UINT>(WM_DROPFILES));
    EXPECT_EQ(m_owner->received[0].wParam, drop);
    EXPECT_EQ(m_owner->received[0].lParam, 77);
}

TEST_F(StartPageWindow, OpenFileAsksTheMainWindowForTheOpenDialog) {
    ObservedPage* page = OpenPage();
    Click(*page, page->Find(L"OpenFileBtn"));
    ASSERT_EQ(m_owner->received.size(), 1u);
    EXPECT_EQ(m_owner->received[0].msg, static_cast<UINT>(UM_OPEN_DOCUMENT));
    EXPECT_EQ(m_owner->received[0].wParam, 1u);
    EXPECT_EQ(m_owner->received[0].lParam, 0);
}

TEST_F(StartPageWindow, MenuItemsAreForwardedByTheirExactName) {
    ObservedPage* page = OpenPage();
    User::GetInstance()->RecordLogin(L"小明", L"union-1", L"");
    HWND hwnd = page->GetHWND();
    EXPECT_EQ(SendMessageW(hwnd, UM_MENU_CLICK, ItemName(L"qqqueryme"), 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, UM_MENU_CLICK, ItemName(L"updateme"), 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, UM_MENU_CLICK, ItemName(L"UPDATEME"), 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, UM_MENU_CLICK, ItemName(L"EXITME"), 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, UM_MENU_CLICK, 0, 0), 0) << "no name, nothing to do";
    ASSERT_EQ(m_owner->received.size(), 2u);
    EXPECT_EQ(m_owner->received[0].msg, static_cast<UINT>(UM_CONTACT_SERVICE));
    EXPECT_EQ(m_owner->received[1].msg, static_cast<UINT>(UM_CHECK_UPDATE));
    EXPECT_EQ(User::GetInstance()->Unionid(), L"union-1") << "\"EXITME\" is not \"exitme\"";
}
