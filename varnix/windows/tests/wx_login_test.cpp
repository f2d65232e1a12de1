#include <varnix/windows/wx_login.h>

#include "windows_test_support.h"

#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/util/file.h>
#include <varnix/util/version_info.h>
#include <varnix/windows/message_wnd.h>

#include <sim_fixture.h>
#include <temp_prefix.h>

#include <gtest/gtest.h>
#include <key_presses.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

using windowstest::Click;
using windowstest::TextOf;

// A live window is not something to copy: the login window stays non-copyable.
static_assert(!std::is_copy_constructible_v<WxLogin>);
static_assert(!std::is_copy_assignable_v<WxLogin>);

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

TEST_F(WxLoginWindow, EscEndsItAsTheCloseButtonDoes) {
    WxLogin* window = Open();
    ASSERT_TRUE(duilibtest::PressKey(window->GetHWND(), duilibtest::Key::Escape));
    EXPECT_EQ(window->ShowModal(), WxLogin::kClosed);
    windowstest::Pump();
    EXPECT_EQ(User::GetInstance()->Unionid(), L"");
}

namespace {

const wchar_t kFetching[] = L"获取登陆二维码中...";
const wchar_t kGenerating[] = L"生成登陆二维码中...";
const wchar_t kScan[] = L"微信扫码登录  享受贴心服务";
const wchar_t kTicketFailed[] = L"获取登陆二维码失败,请联系客服。";

// Handles this thread's messages one at a time until `done` holds after one of them, or the
// time is up. A state that lasts only between two messages is seen this way.
bool PumpUntil(const std::function<bool()>& done, int milliseconds = 15000) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    return true;
}

std::wstring BackgroundOf(DuiLib::WindowImplBase& window, const wchar_t* name) {
    DuiLib::CControlUI* control = window.PaintManager().FindControl(name);
    return control ? std::wstring(control->GetBkImage()) : L"<missing>";
}

} // namespace

TEST_F(WxLoginWindow, TheTitleIsTheFixedTextFollowedByTheProductName) {
    const wchar_t* product = VersionInfo::GetInstance()->ProductName();
    ASSERT_NE(product, nullptr);
    ASSERT_NE(*product, L'\0') << "the test program's version block names a product";
    WxLogin* window = Open();
    EXPECT_EQ(TextOf(*window, L"apptitlelbl"), std::wstring(L"微信登陆") + product);
    ASSERT_TRUE(Click(*window, L"closebtn"));
    EXPECT_EQ(window->ShowModal(), WxLogin::kClosed);
}

TEST_F(WxLoginWindow, APromptForEachStepAndThePictureAsTheImagesBackground) {
    WxLogin* window = Open();
    EXPECT_EQ(TextOf(*window, L"wxpromptlbl"), kFetching);
    // The ticket has come; the picture has not.
    ASSERT_TRUE(PumpUntil([&] { return TextOf(*window, L"wxpromptlbl") != kFetching; }));
    EXPECT_EQ(TextOf(*window, L"wxpromptlbl"), kGenerating);
    EXPECT_EQ(BackgroundOf(*window, L"loginimgctrl"), L"");
    ASSERT_TRUE(PumpUntil([&] { return TextOf(*window, L"wxpromptlbl") != kGenerating; }));
    EXPECT_EQ(TextOf(*window, L"wxpromptlbl"), kScan);
    const std::wstring image = BackgroundOf(*window, L"loginimgctrl");
    EXPECT_EQ(image.rfind(File::TempPath(), 0), 0u) << image;
    EXPECT_EQ(File::Extension(image), L"png") << image;
    EXPECT_TRUE(Sim().RequestsTo("/wxpub/queryLoginStatus").empty()) << "a second passes first";
    EXPECT_EQ(window->ShowModal(), WxLogin::kLoggedIn);
}

TEST_F(WxLoginWindow, AFailedTicketRequestShowsTheFailureAndWaitsForTheUser) {
    ASSERT_TRUE(
        Sim().SetMode("/wxpub/createQrcode", R"({"reply": {"code": 40013, "msg": "invalid"}})"));
    WxLogin* window = Open();
    HWND hwnd = window->GetHWND();
    ASSERT_TRUE(PumpUntil([&] { return TextOf(*window, L"wxpromptlbl") != kFetching; }));
    EXPECT_EQ(TextOf(*window, L"wxpromptlbl"), kTicketFailed);
    // No retry, no picture, no polling: the window just stays.
    PumpUntil([] { return false; }, 1500);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(TextOf(*window, L"wxpromptlbl"), kTicketFailed);
    EXPECT_EQ(Sim().RequestsTo("/wxpub/createQrcode").size(), 1u);
    EXPECT_TRUE(Sim().RequestsTo("/wxpub/queryLoginStatus").empty());
    EXPECT_EQ(BackgroundOf(*window, L"loginimgctrl"), L"");
    ASSERT_TRUE(Click(*window, L"closebtn"));
    EXPECT_EQ(window->ShowModal(), WxLogin::kClosed);
}

TEST_F(WxLoginWindow, APictureThatCannotBeMadeStillPromptsAndPolls) {
    // No QR code holds this much: the tool makes no picture.
    const std::string url(5000, 'x');
    ASSERT_TRUE(Sim().SetMode("/wxpub/createQrcode", R"({"reply": {"ticket": "t-long",
        "expire_seconds": 60, "url": ")" + url + R"("}})"));
    // Pictures of earlier tests may carry this second's name.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((File::TempPath() + L"*.png").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((File::TempPath() + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    WxLogin* window = Open();
    ASSERT_TRUE(PumpUntil([&] { return TextOf(*window, L"wxpromptlbl") == kScan; }));
    const std::wstring image = BackgroundOf(*window, L"loginimgctrl");
    EXPECT_EQ(File::Extension(image), L"png") << image;
    EXPECT_FALSE(File::Exist(image)) << "the path of the picture that was not made";
    EXPECT_EQ(window->ShowModal(), WxLogin::kLoggedIn);
    auto polls = Sim().RequestsTo("/wxpub/queryLoginStatus");
    ASSERT_FALSE(polls.empty());
    EXPECT_EQ(polls[0].Param("ticket"), "t-long");
}

TEST_F(WxLoginWindow, ANonAsciiUnionidIsReadInTheAnsiCodePage) {
    // The reply's bytes are UTF-8; the window reads them as ANSI text, here code page 936.
    const std::string unionid = "o中文ü_1";
    testsupport::ScopedEnv codePage("WIN32_ACP", "936");
    ASSERT_TRUE(Sim().SetMode("/wxpub/queryLoginStatus",
                              R"({"replies": null, "sequence_by": null,
            "reply": {"islogin": true, "unionid": ")" +
                                  unionid + R"("}})"));
    std::wstring expected(unionid.size(), L'\0');
    expected.resize(static_cast<size_t>(
        MultiByteToWideChar(936, 0, unionid.data(), static_cast<int>(unionid.size()),
                            expected.data(), static_cast<int>(expected.size()))));
    ASSERT_FALSE(expected.empty());
    ASSERT_NE(expected, L"o中文ü_1") << "the two readings must differ for the test to tell";
    WxLogin* window = Open();
    EXPECT_EQ(window->ShowModal(), WxLogin::kLoggedIn);
    EXPECT_EQ(User::GetInstance()->Unionid(), expected);
}
