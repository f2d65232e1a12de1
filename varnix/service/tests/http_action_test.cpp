#include "service_test_support.h"

#include <varnix/service/reply_fields.h>
#include <varnix/service/vq_url.h>
#include <varnix/util/utf8.h>
#include <varnix/util/version_info.h>

#include <http/url.h>

#include <set>

namespace {

using servicetest::MessageWindow;
using servicetest::Posted;

class ServiceActions : public servicetest::ServiceTest {
protected:
    // Waits for the one reply and checks that it arrived under the caller's message with the
    // caller's lParam and parses as a success.
    Json::Value Reply(MessageWindow& window, UINT message, LPARAM lParam) {
        EXPECT_TRUE(window.WaitFor(message)) << "no reply " << message;
        if (window.Count(message) == 0) {
            return {};
        }
        Posted& posted = window.First(message);
        EXPECT_EQ(posted.lParam, lParam);
        Json::Value document;
        std::wstring error;
        EXPECT_TRUE(posted.Parse(document, error)) << Utf8::Utf16ToUtf8(error);
        return document;
    }

    std::string QueryOf(const std::string& path) {
        auto requests = Sim().RequestsTo(path);
        EXPECT_EQ(requests.size(), 1u) << path;
        return requests.empty() ? std::string() : requests[0].query;
    }
};

TEST_F(ServiceActions, NewestVersionCarriesThePatternBack) {
    MessageWindow window;
    HttpAction::GetInstance()->GetNewestVersion(window, UM_NEWEST_VERSION, HttpAction::UPDATE_AUTO);
    Json::Value reply = Reply(window, UM_NEWEST_VERSION, 1);
    EXPECT_FALSE(reply::String(reply, "url").empty());
    EXPECT_EQ(QueryOf("/download/update"), CommonQuery("common", {}));

    HttpAction::GetInstance()->GetNewestVersion(window, UM_NEWEST_VERSION,
                                                HttpAction::UPDATE_MANUAL);
    ASSERT_TRUE(window.WaitFor(UM_NEWEST_VERSION, 2));
    EXPECT_EQ(window.Received().back().lParam, 0);
}

TEST_F(ServiceActions, UserInfoAsksForTheUnionidAndCarriesTheModeBack) {
    MessageWindow window;
    HttpAction::GetInstance()->GetWxUserInfo(window, UM_USER_INFO, "oSim Union&1",
                                             USERINFO_DEFAULT);
    Json::Value reply = Reply(window, UM_USER_INFO, 1);
    EXPECT_EQ(reply::String(reply, "unionid"), "oSim Union&1");
    EXPECT_EQ(QueryOf("/wxpub/getUserInfo"),
              CommonQuery("common", {{"unionid", "oSim%20Union%261"}}));
}

TEST_F(ServiceActions, QrcodeAsksForTheMachine) {
    MessageWindow window;
    HttpAction::GetInstance()->GetWxPubQrcode(window, UM_LOGIN_QRCODE, "ABCD-1234");
    Json::Value reply = Reply(window, UM_LOGIN_QRCODE, -1);
    EXPECT_EQ(reply::String(reply, "ticket"), "sim-ticket-1");
    EXPECT_EQ(QueryOf("/wxpub/createQrcode"), CommonQuery("common", {{"machine", "ABCD-1234"}}));
}

TEST_F(ServiceActions, LoginStatusAsksForTheTicket) {
    MessageWindow window;
    HttpAction::GetInstance()->PollingWxPubLogin(window, UM_LOGIN_STATUS, "sim-ticket-9");
    Json::Value reply = Reply(window, UM_LOGIN_STATUS, -1);
    EXPECT_TRUE(reply.isMember("islogin"));
    EXPECT_EQ(QueryOf("/wxpub/queryLoginStatus"),
              CommonQuery("common", {{"ticket", "sim-ticket-9"}}));
}

TEST_F(ServiceActions, ConfigAndSoftwareListSendOnlyTheCommonAttributes) {
    MessageWindow window;
    HttpAction::GetInstance()->GetConfig(window, UM_CONFIG);
    Json::Value config = Reply(window, UM_CONFIG, -1);
    EXPECT_FALSE(reply::String(config, "helpqq").empty());
    EXPECT_EQ(QueryOf("/users/limiteditprompt"), CommonQuery("common", {}));

    HttpAction::GetInstance()->GetNewSoftwareList(window, UM_SOFTWARE_LIST);
    Json::Value list = Reply(window, UM_SOFTWARE_LIST, -1);
    EXPECT_TRUE(reply::Member(list, "list").isArray());
    EXPECT_EQ(QueryOf("/users/moreSoftware"), CommonQuery("common", {}));
}

TEST_F(ServiceActions, TwoRequestsAtOnceBothGetTheirReplies) {
    MessageWindow window;
    HttpAction::GetInstance()->GetWxPubQrcode(window, UM_LOGIN_QRCODE, "m");
    HttpAction::GetInstance()->GetWxPubQrcode(window, UM_LOGIN_QRCODE, "m");
    ASSERT_TRUE(window.WaitFor(UM_LOGIN_QRCODE, 2));
    std::set<std::string> tickets;
    for (auto& posted : window.Received()) {
        Json::Value document;
        std::wstring error;
        ASSERT_TRUE(posted.Parse(document, error));
        tickets.insert(reply::String(document, "ticket"));
    }
    EXPECT_EQ(tickets, (std::set<std::string>{"sim-ticket-1", "sim-ticket-2"}));
    EXPECT_EQ(Sim().RequestsTo("/wxpub/createQrcode").size(), 2u);
}

TEST_F(ServiceActions, AFailedReplyStillArrivesUnderItsOwnMessage) {
    ASSERT_TRUE(
        Sim().SetMode("/download/update", R"({"reply": {"code": 1, "msg": "已是最新版本"}})"));
    MessageWindow window;
    HttpAction::GetInstance()->GetNewestVersion(window, UM_NEWEST_VERSION,
                                                HttpAction::UPDATE_MANUAL);
    ASSERT_TRUE(window.WaitFor(UM_NEWEST_VERSION));
    Json::Value document;
    std::wstring error;
    EXPECT_FALSE(window.First(UM_NEWEST_VERSION).Parse(document, error));
    EXPECT_EQ(error, L"已是最新版本");
}

TEST_F(ServiceActions, StatisticsSendTheEventsTypeWord) {
    MessageWindow window;
    HttpAction::GetInstance()->SendStastastics(STASTICS_OPENNESS, "ignored");
    HttpAction::GetInstance()->SendStastastics(STASTICS_CONVERSION, "pdf2word");
    HttpAction::GetInstance()->SendStastastics(static_cast<STASTICS>(2), "other");
    ASSERT_TRUE(WaitForRequests(window, "/users/statistics", 2));
    // A round trip after them, so that a stray third request would have arrived as well.
    HttpAction::GetInstance()->GetConfig(window, UM_CONFIG);
    ASSERT_TRUE(window.WaitFor(UM_CONFIG));

    std::set<std::string> queries;
    for (const auto& request : Sim().RequestsTo("/users/statistics")) {
        queries.insert(request.query);
    }
    EXPECT_EQ(queries, (std::set<std::string>{CommonQuery("openness", {}),
                                              CommonQuery("conversion", {{"code", "pdf2word"}})}));
    EXPECT_EQ(window.Received().size(), 1u) << "statistics replies are dropped";
}

TEST(ServiceVersion, DotsGoAndZerosStay) {
    VersionInfo version(L"10.0.0.12");
    EXPECT_EQ(ServiceVersionText(version), "100012");
    // Written into the version's own buffer, which its accessor returns too.
    EXPECT_STREQ(version.AsString(), L"10.0.0.12");
    VersionInfo large(L"65535.1.0.0");
    EXPECT_EQ(ServiceVersionText(large), "65535100");
}

TEST(ServiceHost, TheOverrideReplacesTheBuiltInHost) {
    {
        testsupport::ScopedEnv unset("VELMORA_SERVICE_URL", "");
        std::string host = Http::VqUrl::Host();
        EXPECT_EQ(host.find('/'), std::string::npos) << "a bare host name: " << host;
        EXPECT_EQ(host.find(':'), std::string::npos) << "a bare host name: " << host;
        EXPECT_EQ(Http::VqUrl::GenerateUrl("/users/statistics", {{"type", "openness"}}).Str(),
                  host + "/users/statistics?type=openness");
    }
    testsupport::ScopedEnv local("VELMORA_SERVICE_URL", "http://127.0.0.1:8080/");
    EXPECT_EQ(Http::VqUrl::GenerateUrl("/download/update", {}).Str(),
              "http://127.0.0.1:8080/download/update");
}

} // namespace
