// The main window's links out of the program, its official-account popup, the WeChat login and
// the profile refresh, against service-sim with the real start page.
#include "main_window_fixture.h"

#include <startpage/app_messages.h>
#include <startpage/start_page.h>

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/user/user.h>

#include <QCursor>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace pagetest;

namespace {

constexpr UINT_PTR kUserRefreshTimer = 1;

// An item name as a popup menu delivers it: a heap string the receiver frees.
WPARAM MenuItem(const wchar_t* name) {
    const size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(std::malloc(bytes));
    std::memcpy(copy, name, bytes);
    return reinterpret_cast<WPARAM>(copy);
}

class HelpLinks : public MainWindowTest {
protected:
    void ClickButton(const wchar_t* name) {
        Click(*m_window, m_window->PaintManager().FindControl(name));
    }
    std::string Base() const { return Sim().BaseUrl(); }
};

class Login : public MainWindowTest {
protected:
    void TearDown() override {
        m_window->UserRefreshPeriod(60000);
        MainWindowTest::TearDown();
    }
    std::wstring PageNickname() const { return TextOf(g_startPage, L"nicknamelbl"); }
    size_t ProfileRequests() const { return Sim().RequestsTo("/wxpub/getUserInfo").size(); }
    // The unionid each profile request asked for, in order.
    std::vector<std::string> ProfilesAskedFor() const {
        std::vector<std::string> asked;
        for (const auto& request : Sim().RequestsTo("/wxpub/getUserInfo")) {
            auto found = request.params.find("unionid");
            asked.push_back(found == request.params.end() ? "<none>" : found->second);
        }
        return asked;
    }
};

} // namespace

TEST_F(HelpLinks, TheButtonsOpenTheHelpPageAndTheSiteAndTheChatHasTheConfiguredNumber) {
    ClickButton(L"helpbtn");
    ClickButton(L"officialsitebtn");
    Send(UM_CONTACT_SERVICE);
    ASSERT_TRUE(PumpUntil([&] { return Opened().size() == 3; }));
    std::vector<std::string> opened = Opened();
    std::sort(opened.begin(), opened.end()); // the handlers run on their own
    EXPECT_EQ(opened, (std::vector<std::string>{
                          Base() + "/files/unlock-help.html",
                          "https://wpa.qq.com/msgrd?v=3&uin=800012345&site=qq&menu=yes",
                          "https://www.brivano.com/pdf/"}));
}

TEST_F(HelpLinks, WhatTheServiceSendsOpensOnlyAsAWebPageAndANumber) {
    ASSERT_TRUE(Sim().SetMode("/users/limiteditprompt",
                              R"({"reply": {"helpqq": "1&site=evil", "password":
                                 {"showPrompt": true, "url": "C:\\Windows\\evil.exe"}}})"));
    HttpAction::GetInstance()->GetConfig(Main(), UM_CONFIG);
    ASSERT_TRUE(WaitHandled(UM_CONFIG, 2));
    ClickButton(L"helpbtn");
    Send(UM_CONTACT_SERVICE);
    ASSERT_TRUE(PumpUntil([&] { return !Opened().empty(); }));
    EXPECT_EQ(Opened(),
              (std::vector<std::string>{"https://wpa.qq.com/msgrd?v=3&uin=&site=qq&menu=yes"}));
}

TEST_F(HelpLinks, PopupItemsReachTheWindowAndOnlyTheServiceItemDoesSomething) {
    PostMessageW(Main(), UM_MENU_CLICK, MenuItem(L"updateme"), 0); // not an item of this popup
    PostMessageW(Main(), UM_MENU_CLICK, 0, 0);
    PostMessageW(Main(), UM_MENU_CLICK, MenuItem(L"qqqueryme"), 0);
    ASSERT_TRUE(WaitHandled(UM_MENU_CLICK, 3));
    ASSERT_TRUE(PumpUntil([&] { return !Opened().empty(); }));
    EXPECT_EQ(Opened(), (std::vector<std::string>{
                            "https://wpa.qq.com/msgrd?v=3&uin=800012345&site=qq&menu=yes"}));
    EXPECT_EQ(m_window->handled[UM_CHECK_UPDATE], 0);
    EXPECT_EQ(m_window->handled[UM_CONTACT_SERVICE], 1);
}

TEST_F(HelpLinks, TheOfficialAccountPopupIsOneAtATimeAndOpensUpwardsNearTheBottom) {
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(screenHeight, 400);
    QCursor::setPos(300, screenHeight - 300);
    ClickButton(L"gzhbtn");
    ASSERT_NE(m_window->Popup(), nullptr);
    RECT below{};
    GetWindowRect(m_window->Popup()->GetHWND(), &below);
    EXPECT_EQ(below.left, 300);
    EXPECT_EQ(below.top, screenHeight - 300) << "with room below it opens downwards";

    QCursor::setPos(300, screenHeight - 255);
    ClickButton(L"gzhbtn");
    Pump();
    EXPECT_EQ(WindowsOfClass(L"MenuWnd").size(), 1u);
    RECT above{};
    GetWindowRect(m_window->Popup()->GetHWND(), &above);
    EXPECT_EQ(above.bottom, screenHeight - 255) << "the popup's bottom-left corner at the cursor";
    EXPECT_LT(above.top, above.bottom);

    // Its item as the user clicks it: the menu posts the name to the main window.
    DuiLib::TNotifyUI click;
    click.sType = DUI_MSGTYPE_ITEMCLICK;
    click.pSender = m_window->Popup()->FindControl(L"qqqueryme");
    ASSERT_NE(click.pSender, nullptr);
    static_cast<DuiLib::WindowImplBase*>(m_window->Popup())->Notify(click);
    ASSERT_TRUE(PumpUntil([&] { return !Opened().empty(); }));
    EXPECT_EQ(m_window->handled[UM_CONTACT_SERVICE], 1);
}

TEST_F(Login, ClosingTheLoginWindowWithoutScanningAsksForNoProfile) {
    HWND parent = nullptr;
    BOOL mainEnabled = TRUE;
    wchar_t title[32] = {};
    ScriptResult script = RunScript({{L"WxLogin",
                                      [&](HWND login, DuiLib::WindowImplBase* w) {
                                          parent = GetParent(login);
                                          mainEnabled = IsWindowEnabled(Main());
                                          GetWindowTextW(login, title, 32);
                                          Press(login, w, L"closebtn");
                                      }}},
                                    [&] { Send(UM_LOGIN, 1); });
    ASSERT_EQ(script.done, 1u);
    EXPECT_EQ(parent, Page());
    EXPECT_FALSE(mainEnabled);
    EXPECT_STREQ(title, L"微信登陆");
    EXPECT_TRUE(IsWindowEnabled(Main()));
    // What the window asked for is on its way; a profile request would have gone before it.
    Send(WM_TIMER, kUserRefreshTimer); // and with nobody logged in the refresh sends nothing
    ASSERT_TRUE(PumpUntil([&] { return !Sim().RequestsTo("/wxpub/createQrcode").empty(); }));
    Send(UM_CHECK_UPDATE);
    RunScript({}, [&] { WaitHandled(UM_NEWEST_VERSION, 1); });
    EXPECT_EQ(ProfileRequests(), 0u);
    EXPECT_TRUE(User::GetInstance()->Unionid().empty());
}

TEST_F(Login, AScannedLoginIsRecordedAndTheStartPageShowsItAtOnce) {
    ScriptResult script = RunScript({}, [&] {
        Send(UM_LOGIN, 1); // the simulator confirms on the third poll
        ASSERT_TRUE(WaitHandled(UM_USER_INFO, 1));
    });
    EXPECT_TRUE(script.strays.empty());
    EXPECT_EQ(User::GetInstance()->Unionid(), L"oSimUnion0001");
    EXPECT_EQ(User::GetInstance()->Nickname(), L"微信用户");
    EXPECT_EQ(PageNickname(), L"微信用户");
    EXPECT_EQ(ProfilesAskedFor(), std::vector<std::string>{"oSimUnion0001"});
}

TEST_F(Login, TheRefreshRunsOnlyWhileSomeoneIsLoggedIn) {
    m_window->UserRefreshPeriod(20);
    ASSERT_TRUE(WaitHandled(WM_TIMER, 3));
    User::GetInstance()->RecordLogin(L"旧名字", L"oUnion42", L"");
    ASSERT_TRUE(PumpUntil([&] { return m_window->handled[UM_USER_INFO] >= 1; }));
    for (const std::string& unionid : ProfilesAskedFor()) {
        EXPECT_EQ(unionid, "oUnion42") << "a refresh without a login";
    }
    EXPECT_EQ(User::GetInstance()->Nickname(), L"微信用户");
    EXPECT_EQ(PageNickname(), L"微信用户");
}

TEST_F(Login, AFailingRefreshShowsTheServicesWordsAtEveryTick) {
    User::GetInstance()->RecordLogin(L"小明", L"oUnion42", L"");
    ASSERT_TRUE(
        Sim().SetMode("/wxpub/getUserInfo", R"({"reply": {"code": 3, "msg": "登录已过期"}})"));
    std::vector<std::wstring> texts;
    std::vector<BOOL> mainEnabled;
    auto answer = [&](HWND box, DuiLib::WindowImplBase* w) {
        texts.push_back(BoxText(w));
        mainEnabled.push_back(IsWindowEnabled(Main()));
        Press(box, w, L"okbtn");
    };
    ScriptResult script = RunScript({{L"msgwnd", answer}, {L"msgwnd", answer}}, [&] {
        m_window->UserRefreshPeriod(400);
        PumpUntil([&] { return texts.size() == 2; });
        m_window->UserRefreshPeriod(60000);
        // A tick between the second box closing and the slower period may have asked once
        // more: its box must come while the script still answers it.
        PumpUntil(
            [&] { return m_window->handled[UM_USER_INFO] >= static_cast<int>(ProfileRequests()); });
    });
    ASSERT_EQ(script.done, 2u);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"登录已过期", L"登录已过期"}));
    EXPECT_EQ(mainEnabled, (std::vector<BOOL>{FALSE, FALSE}));
    EXPECT_EQ(User::GetInstance()->Unionid(), L"oUnion42") << "the login stays as it was";
    EXPECT_EQ(User::GetInstance()->Nickname(), L"小明");
}

TEST_F(Login, AProfileArrivingAfterTheLogoutLeavesTheUserLoggedOut) {
    User::GetInstance()->RecordLogin(L"小明", L"oUnion42", L"");
    ASSERT_TRUE(Sim().SetMode("/wxpub/getUserInfo", R"({"delay_ms": 300})"));
    Send(WM_TIMER, kUserRefreshTimer);
    User::GetInstance()->ClearLogin();
    ASSERT_TRUE(WaitHandled(UM_USER_INFO, 1));
    EXPECT_TRUE(User::GetInstance()->Unionid().empty());
    EXPECT_EQ(PageNickname(), L"用户未登录");
}

namespace {

class DocumentPrompts : public MainWindowTest {
protected:
    // Posts a prompt message as the event sink does: a heap path the window frees.
    void PostPath(UINT msg, const wchar_t* path) {
        PostMessageW(Main(), msg, reinterpret_cast<WPARAM>(new std::wstring(path)), 0);
    }
};

} // namespace

TEST_F(DocumentPrompts, TheScannedPromptHandsTheDocumentToRecognitionOnlyWhenConfirmed) {
    std::wstring said;
    EXPECT_TRUE(AnswerMessageBox(L"cancelbtn", &said, [&] {
        PostPath(UM_DOC_SCANNED, L"Z:\\scans\\合同.pdf");
        Pump();
    }));
    EXPECT_EQ(said, L"\"合同.pdf\"为扫描件无法编辑，请使用Brivano图文识别将其识别编辑。");
    Pump();
    EXPECT_TRUE(Opened().empty()) << "cancel starts nothing";

    // Confirmed, with no recognition program installed: its web page opens instead.
    EXPECT_TRUE(AnswerMessageBox(L"okbtn", nullptr, [&] {
        PostPath(UM_DOC_SCANNED, L"Z:\\scans\\合同.pdf");
        Pump();
    }));
    ASSERT_TRUE(PumpUntil([&] { return !Opened().empty(); }));
    EXPECT_NE(Opened()[0].find("https://"), std::string::npos);
}

TEST_F(DocumentPrompts, TheRestrictedPromptOpensTheServicesHelpPageWhenConfirmed) {
    ASSERT_TRUE(PumpUntil([&] { return !m_window->ServiceConfig().isNull(); }));
    const std::string help = m_window->ServiceConfig()["password"]["url"].asString();
    EXPECT_TRUE(AnswerMessageBox(L"okbtn", nullptr, [&] {
        PostPath(UM_DOC_RESTRICTED, L"Z:\\docs\\locked.pdf");
        Pump();
    }));
    ASSERT_TRUE(PumpUntil([&] { return !Opened().empty(); }));
    EXPECT_EQ(Opened()[0], help);
}
