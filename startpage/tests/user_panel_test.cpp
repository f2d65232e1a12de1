#include <startpage/start_page.h>

#include "page_test_support.h"

#include <startpage/app_messages.h>

#include <varnix/user/user.h>
#include <varnix/util/file.h>
#include <varnix/util/utf8.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <string>

using namespace pagetest;

namespace {

class UserPanel : public PageTest {
protected:
    std::wstring Nickname() { return m_page->Find(L"nicknamelbl")->GetText().GetData(); }
    DuiLib::CControlUI* Head() { return m_page->Find(L"headimgbtn"); }
    // The head image's download (id 4) has reached the page; the strip's logos (ids from 5)
    // may come in before or after it.
    static bool HeadImageArrived(const ObservedPage& page) {
        return std::find(page.downloads.begin(), page.downloads.end(), 4) != page.downloads.end();
    }

    // Whether the login key holds the value.
    static bool LoginValue(const wchar_t* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"System\\CurrentControlSet\\Control\\ardevo", 0,
                          KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        const bool found =
            RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
        return found;
    }

    void LogIn() {
        User::GetInstance()->RecordLogin(
            L"小明", L"oUnion42", Utf8::Utf8ToUtf16(Utf8(Sim().Url("/files/avatar.png"), true)));
    }

    static void PlaceCursor(int x, int y) { QCursor::setPos(x, y); }
};

} // namespace

TEST_F(UserPanel, FirstStartShowsTheLoggedOutPanelAndAClickAsksForTheLogin) {
    ObservedPage* page = OpenPage();
    EXPECT_EQ(Nickname(), L"用户未登录");
    EXPECT_STREQ(Head()->GetBkImage(), L"img/headimg.png");
    EXPECT_STREQ(Head()->GetToolTip().GetData(), L"用户未登陆,点击头像开始登录");
    Click(*page, Head());
    ASSERT_EQ(m_owner->received.size(), 1u);
    EXPECT_EQ(m_owner->received[0].msg, static_cast<UINT>(UM_LOGIN));
    EXPECT_EQ(m_owner->received[0].wParam, 1u);
    EXPECT_EQ(m_owner->received[0].lParam, 0);
    EXPECT_TRUE(WindowsOfClass(L"MenuWnd").empty()) << "logged out, no account menu";
}

TEST_F(UserPanel, ALoginShowsAtOnceAndTheHeadImageWhenItArrives) {
    ObservedPage* page = OpenPage();
    LogIn();
    EXPECT_EQ(SendMessageW(page->GetHWND(), UM_USER_CHANGED, 0, 0), 0);
    EXPECT_EQ(Nickname(), L"小明");
    EXPECT_STREQ(Head()->GetToolTip().GetData(), L"小明");
    ASSERT_TRUE(PumpUntil([&] { return HeadImageArrived(*page); }));
    EXPECT_EQ(std::wstring(Head()->GetBkImage()), File::TempPath() + L"headimg.png");
    ASSERT_EQ(Sim().RequestsTo("/files/avatar.png").size(), 1u);
}

TEST_F(UserPanel, AHeadImageThatIsNoPictureKeepsTheOneShown) {
    ASSERT_TRUE(
        Sim().MergeScript(R"({"endpoints": {"/files/avatar.png": {"body": "not a picture"}}})"));
    LogIn();
    ObservedPage* page = OpenPage();
    EXPECT_EQ(Nickname(), L"小明");
    ASSERT_TRUE(PumpUntil([&] { return HeadImageArrived(*page); }));
    EXPECT_STREQ(Head()->GetBkImage(), L"img/headimg.png");
}

TEST_F(UserPanel, ExitmeLogsOutAndKeepsTheMachineCode) {
    // The head image is still on its way when the user logs out.
    ASSERT_TRUE(Sim().MergeScript(R"({"endpoints": {"/files/avatar.png": {"delay_ms": 400}}})"));
    User::GetInstance()->GetMachineHash();
    LogIn();
    ObservedPage* page = OpenPage();
    ASSERT_TRUE(LoginValue(L"unionid"));
    ASSERT_TRUE(LoginValue(L"hash"));
    PlaceCursor(200, 200);
    Click(*page, Head());
    std::vector<HWND> menus = WindowsOfClass(L"MenuWnd");
    ASSERT_EQ(menus.size(), 1u);
    DuiLib::WindowImplBase* menu = WindowOf(menus[0]);
    ASSERT_NE(menu, nullptr);
    DuiLib::CControlUI* nickname = menu->PaintManager().FindControl(L"nicknamelbl");
    ASSERT_NE(nickname, nullptr);
    EXPECT_STREQ(nickname->GetText().GetData(), L"小明");

    // The item as the user clicks it: the menu posts its name to the page and closes.
    DuiLib::TNotifyUI click;
    click.sType = DUI_MSGTYPE_ITEMCLICK;
    click.pSender = menu->PaintManager().FindControl(L"exitme");
    ASSERT_NE(click.pSender, nullptr);
    menu->Notify(click);
    ASSERT_TRUE(PumpUntil([&] { return Nickname() == L"用户未登录"; }));
    EXPECT_STREQ(Head()->GetBkImage(), L"img/headimg.png");
    EXPECT_TRUE(User::GetInstance()->Unionid().empty());
    EXPECT_FALSE(LoginValue(L"nickname"));
    EXPECT_FALSE(LoginValue(L"unionid"));
    EXPECT_FALSE(LoginValue(L"headimgurl"));
    EXPECT_TRUE(LoginValue(L"hash"));

    ASSERT_TRUE(PumpUntil([&] { return !page->downloads.empty(); }));
    EXPECT_STREQ(Head()->GetBkImage(), L"img/headimg.png")
        << "a head image arriving after the logout is not shown";
}

TEST_F(UserPanel, OnlyOnePopupIsEverOpen) {
    LogIn();
    ObservedPage* page = OpenPage();
    PlaceCursor(200, 200);
    Click(*page, Head());
    Click(*page, Head());
    Pump();
    EXPECT_EQ(WindowsOfClass(L"MenuWnd").size(), 1u);
    Click(*page, page->Find(L"servicebtn"));
    Pump();
    std::vector<HWND> menus = WindowsOfClass(L"MenuWnd");
    ASSERT_EQ(menus.size(), 1u);
    DuiLib::WindowImplBase* popup = WindowOf(menus[0]);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->PaintManager().FindControl(L"exitme"), nullptr)
        << "the official-account popup replaced the account menu";
    EXPECT_NE(popup->PaintManager().FindControl(L"qqqueryme"), nullptr);
}

TEST_F(UserPanel, NearTheBottomOfTheScreenTheMenuOpensUpwards) {
    LogIn();
    ObservedPage* page = OpenPage();
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(screenHeight, 400);

    PlaceCursor(300, screenHeight - 300);
    Click(*page, Head());
    RECT below{};
    GetWindowRect(page->PopupMenu()->GetHWND(), &below);
    EXPECT_EQ(below.left, 300);
    EXPECT_EQ(below.top, screenHeight - 300) << "with room below it opens downwards";

    PlaceCursor(300, screenHeight - 255);
    Click(*page, Head());
    RECT above{};
    GetWindowRect(page->PopupMenu()->GetHWND(), &above);
    EXPECT_EQ(above.left, 300);
    EXPECT_EQ(above.bottom, screenHeight - 255) << "the menu's bottom-left corner at the cursor";
    EXPECT_LT(above.top, above.bottom);
}
