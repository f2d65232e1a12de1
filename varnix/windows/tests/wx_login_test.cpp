#include "messages.h"
#include "user.h"
#include "windows_test_support.h"
#include "wx_login.h"

#include <sim_fixture.h>
#include <temp_prefix.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

} // namespace

TEST_F(WxLoginWindow, PollsUntilTheLoginIsConfirmedAndStoresTheUnionid) {
    WxLogin* window = Open();
    EXPECT_EQ(TextOf(*window, L"wxpromptlbl"), L"获取登陆二维码中...");
    EXPECT_EQ(TextOf(*window, L"apptitlelbl").rfind(L"微信登陆", 0), 0u);
    // The simulator answers "not yet" twice for a ticket, then confirms.
    EXPECT_EQ(window->ShowModal(), WxLogin::kLoggedIn);
    EXPECT_EQ(User::GetInstance()->Unionid(), L"oSimUnion0001");
    auto tickets = Sim().RequestsTo("/wxpub/createQrcode");
    ASSERT_EQ(tickets.size(), 1u);
    EXPECT_FALSE(tickets[0].params["machine"].empty());
    auto polls = Sim().RequestsTo("/wxpub/queryLoginStatus");
    ASSERT_EQ(polls.size(), 3u) << "one poll at a time, none after the confirmation";
    for (const auto& poll : polls) {
        EXPECT_EQ(poll.params.at("ticket"), "sim-ticket-1");
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
