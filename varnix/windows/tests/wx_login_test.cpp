#include <varnix/windows/wx_login.h>

#include "windows_test_support.h"

#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/windows/message_wnd.h>

#include <sim_fixture.h>
#include <temp_prefix.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using windowstest::Click;
using windowstest::TextOf;

namespace {

class WxLoginWindow : public simtest::SimFixture {
protected:
    void SetUp() override {
        simtest::SimFixture::SetUp();
        windowstest::InstallSkin();
        m_service =
            std::make_unique<testsupport::ScopedEnv>("VELMORA_SERVICE_URL", Sim().BaseUrl());
        User::GetInstance()->Unionid(L"");
    }
    void TearDown() override {
        m_service.reset();
        windowstest::ReleaseSkin();
    }

    static WxLogin* Open() {
        auto* window = new WxLogin(USERINFO_DEFAULT);
        EXPECT_NE(window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW), nullptr);
        return window;
    }

private:
    std::unique_ptr<testsupport::ScopedEnv> m_service;
};

// What the probe saw of the message box a polling failure opens, looked at from a thread timer
// that runs inside the box's modal loop.
struct BoxProbe {
    HWND login = nullptr;
    WxLogin* window = nullptr;
    HWND box = nullptr;
    HWND boxOwner = nullptr;
    std::wstring boxContent;
    std::wstring boxTitle;
    std::wstring loginPrompt;
    bool pollTimerArmed = true;
    size_t pollsWhileShown = 0;
    bool clicked = false;
    int ticks = 0;
    simtest::ServiceSim* sim = nullptr;
};

BoxProbe* g_probe = nullptr;

// Sees the box once, presses its OK button, and gives up after a generous number of ticks by
// closing the login window, so that a box that never comes fails the test instead of hanging it.
VOID CALLBACK ProbeForBox(HWND, UINT, UINT_PTR, DWORD) {
    BoxProbe& probe = *g_probe;
    if (probe.clicked) {
        return;
    }
    if (++probe.ticks > 1200) {
        PostMessageW(probe.login, WM_CLOSE, 0xDEAD, 0);
        probe.clicked = true;
        return;
    }
    HWND box = FindWindowW(L"MSGWND", L"msgwnd");
    if (!box) {
        return;
    }
    probe.box = box;
    probe.boxOwner = reinterpret_cast<HWND>(GetWindowLongPtrW(box, GWLP_HWNDPARENT));
    auto* object = reinterpret_cast<DuiLib::CWindowWnd*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    auto* boxWindow = dynamic_cast<DuiLib::WindowImplBase*>(object);
    if (boxWindow) {
        probe.boxContent = TextOf(*boxWindow, L"contentlbl");
        probe.boxTitle = TextOf(*boxWindow, L"apptitlelbl");
    }
    if (IsWindow(probe.login)) {
        probe.loginPrompt = TextOf(*probe.window, L"wxpromptlbl");
        // The poll timer would fail to die had it been armed again.
        probe.pollTimerArmed = KillTimer(probe.login, 7) != FALSE;
    }
    probe.pollsWhileShown = probe.sim->RequestsTo("/wxpub/queryLoginStatus").size();
    probe.clicked = true;
    if (!boxWindow || !Click(*boxWindow, L"okbtn")) {
        PostMessageW(box, WM_CLOSE, BUTTON_RESULT_OK, 0);
    }
}

} // namespace

TEST_F(WxLoginWindow, APollingFailureClosesItWithTenAfterTheMessageBox) {
    const std::wstring message = L"二维码已过期,请重新扫码";
    // The built-in turns per ticket go, so that the very first poll answers the failure.
    ASSERT_TRUE(Sim().SetMode("/wxpub/queryLoginStatus",
                              R"({"replies": null, "sequence_by": null,
            "reply": {"code": 40029, "msg": "二维码已过期,请重新扫码"}})"));
    WxLogin* window = Open();
    BoxProbe probe;
    probe.login = window->GetHWND();
    probe.window = window;
    probe.sim = &Sim();
    g_probe = &probe;
    const UINT_PTR timer = SetTimer(nullptr, 0, 25, ProbeForBox);
    ASSERT_NE(timer, 0u);

    const UINT result = window->ShowModal();
    KillTimer(nullptr, timer);
    g_probe = nullptr;

    ASSERT_NE(probe.box, nullptr) << "no message box appeared; ticks " << probe.ticks << " result "
                                  << result;
    EXPECT_EQ(probe.boxOwner, probe.login);
    EXPECT_EQ(probe.boxContent, message);
    EXPECT_EQ(probe.boxTitle, L"提示");
    EXPECT_EQ(probe.loginPrompt, message) << "the login window was gone or not showing the text";
    EXPECT_FALSE(probe.pollTimerArmed);
    EXPECT_EQ(probe.pollsWhileShown, 1u);
    EXPECT_EQ(result, WxLogin::kClosed);
    EXPECT_FALSE(IsWindow(probe.box));
    EXPECT_FALSE(IsWindow(probe.login));
    windowstest::Pump();
    EXPECT_EQ(User::GetInstance()->Unionid(), L"");
    EXPECT_EQ(Sim().RequestsTo("/wxpub/queryLoginStatus").size(), 1u);
}

TEST_F(WxLoginWindow, PollsUntilTheLoginIsConfirmedAndStoresTheUnionid) {
    WxLogin* window = Open();
    EXPECT_EQ(TextOf(*window, L"wxpromptlbl"), L"获取登陆二维码中...");
    EXPECT_EQ(TextOf(*window, L"apptitlelbl").rfind(L"微信登陆", 0), 0u);
    // The simulator answers "not yet" twice for a ticket, then confirms.
    EXPECT_EQ(window->ShowModal(), WxLogin::kLoggedIn);
    EXPECT_EQ(User::GetInstance()->Unionid(), L"oSimUnion0001");
    auto tickets = Sim().RequestsTo("/wxpub/createQrcode");
    ASSERT_EQ(tickets.size(), 1u);
    EXPECT_FALSE(tickets[0].Param("machine").empty());
    auto polls = Sim().RequestsTo("/wxpub/queryLoginStatus");
    ASSERT_EQ(polls.size(), 3u) << "one poll at a time, none after the confirmation";
    for (const auto& poll : polls) {
        EXPECT_EQ(poll.Param("ticket"), "sim-ticket-1");
    }
}

TEST_F(WxLoginWindow, ClosingBeforeThePictureArrivesEndsWithTen) {
    WxLogin* window = Open();
    ASSERT_TRUE(Click(*window, L"closebtn"));
    EXPECT_EQ(window->ShowModal(), WxLogin::kClosed);
    // The ticket reply and the picture that come later find no window.
    windowstest::Pump();
    EXPECT_EQ(User::GetInstance()->Unionid(), L"");
}
