// The built-in session: what a client of the service gets without any script.
#include "sim_fixture.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using simtest::IsPng;
using simtest::ParseOrNull;

class SimSessionTest : public simtest::SimFixture {
protected:
    Json::Value FetchJson(const std::string& pathAndQuery) {
        auto [status, body] = Sim().Fetch(pathAndQuery);
        EXPECT_EQ(status, 200) << pathAndQuery;
        return ParseOrNull(body);
    }
    bool OnSim(const std::string& address) { return address.rfind(Sim().BaseUrl() + "/", 0) == 0; }
};

class SimEndpointTest : public SimSessionTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SimEndpointTest, RepliesWithIntegerCodeZeroAndAMessage) {
    Json::Value reply = FetchJson(GetParam());
    ASSERT_TRUE(reply.isObject());
    EXPECT_TRUE(reply["code"].isInt());
    EXPECT_EQ(reply["code"].asInt(), 0);
    EXPECT_TRUE(reply["msg"].isString());
}

INSTANTIATE_TEST_SUITE_P(Endpoints, SimEndpointTest,
                         ::testing::Values("/download/update", "/wxpub/getUserInfo?unionid=u",
                                           "/wxpub/createQrcode?machine=m",
                                           "/wxpub/queryLoginStatus?ticket=t",
                                           "/users/limiteditprompt", "/users/moreSoftware",
                                           "/users/statistics?type=openness"));

TEST_F(SimSessionTest, UpdateOfferPointsAtAnInstallerOnTheSimulator) {
    Json::Value reply = FetchJson("/download/update?type=common&version=2500");
    ASSERT_TRUE(reply["url"].isString());
    const std::string url = reply["url"].asString();
    EXPECT_TRUE(OnSim(url)) << url;
    EXPECT_TRUE(reply["mandatory"].isBool());
    EXPECT_FALSE(reply["exeName"].asString().empty());
    EXPECT_EQ(url.substr(url.rfind('/') + 1), reply["exeName"].asString());

    auto [status, installer] = Sim().Fetch(url.substr(Sim().BaseUrl().size()));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(installer.size(), 4u << 20);
}

TEST_F(SimSessionTest, LoginIsConfirmedOnTheThirdPollOfEachTicket) {
    Json::Value first = FetchJson("/wxpub/createQrcode?machine=abc");
    Json::Value second = FetchJson("/wxpub/createQrcode?machine=abc");
    const std::string ticket = first["ticket"].asString();
    ASSERT_FALSE(ticket.empty());
    EXPECT_NE(ticket, second["ticket"].asString());
    EXPECT_TRUE(first["expire_seconds"].isIntegral());
    EXPECT_TRUE(first["url"].isString());

    for (int poll = 1; poll <= 2; ++poll) {
        Json::Value status = FetchJson("/wxpub/queryLoginStatus?ticket=" + ticket);
        EXPECT_TRUE(status["islogin"].isBool());
        EXPECT_FALSE(status["islogin"].asBool()) << "poll " << poll;
    }
    Json::Value confirmed = FetchJson("/wxpub/queryLoginStatus?ticket=" + ticket);
    EXPECT_TRUE(confirmed["islogin"].asBool());
    EXPECT_FALSE(confirmed["unionid"].asString().empty());

    Json::Value other = FetchJson("/wxpub/queryLoginStatus?ticket=" + second["ticket"].asString());
    EXPECT_FALSE(other["islogin"].asBool()) << "each ticket has its own polls";
}

TEST_F(SimSessionTest, UserInfoEchoesTheUnionidAndPointsAtAHeadImage) {
    Json::Value user = FetchJson("/wxpub/getUserInfo?type=common&unionid=oABC%20123");
    EXPECT_EQ(user["unionid"].asString(), "oABC 123");
    EXPECT_FALSE(user["nickname"].asString().empty());
    const std::string head = user["headimgurl"].asString();
    ASSERT_TRUE(OnSim(head)) << head;
    EXPECT_TRUE(IsPng(Sim().Fetch(head.substr(Sim().BaseUrl().size())).second));
}

TEST_F(SimSessionTest, SoftwareListHasThreeProgramsWithDistinctLogos) {
    Json::Value reply = FetchJson("/users/moreSoftware");
    ASSERT_TRUE(reply["list"].isArray());
    ASSERT_EQ(reply["list"].size(), 3u);
    std::set<std::string> logos;
    for (const auto& entry : reply["list"]) {
        for (const char* field : {"regkey", "literal", "url", "tooltip", "logo"}) {
            EXPECT_TRUE(entry[field].isString()) << field;
            EXPECT_FALSE(entry[field].asString().empty()) << field;
        }
        const std::string logo = entry["logo"].asString();
        ASSERT_TRUE(OnSim(logo)) << logo;
        std::string image = Sim().Fetch(logo.substr(Sim().BaseUrl().size())).second;
        EXPECT_TRUE(IsPng(image)) << logo;
        logos.insert(image);
    }
    EXPECT_EQ(logos.size(), 3u);
}

TEST_F(SimSessionTest, ConfigurationCarriesHelpNumberAndRestrictionHelp) {
    Json::Value config = FetchJson("/users/limiteditprompt?type=common");
    EXPECT_TRUE(config["helpqq"].isString());
    EXPECT_FALSE(config["helpqq"].asString().empty());
    ASSERT_TRUE(config["password"].isObject());
    EXPECT_TRUE(config["password"]["showPrompt"].isBool());
    EXPECT_TRUE(OnSim(config["password"]["url"].asString()));
}

TEST_F(SimSessionTest, UnknownPathIsANotFoundReply) {
    auto [status, body] = Sim().Fetch("/users/nothing");
    EXPECT_EQ(status, 404);
    EXPECT_EQ(ParseOrNull(body)["code"].asInt(), 404);
}

TEST_F(SimSessionTest, GeneratedBigFileHasTheRequestedSizeAndPattern) {
    auto [status, body] = Sim().Fetch("/files/big?size=1000");
    ASSERT_EQ(status, 200);
    ASSERT_EQ(body.size(), 1000u);
    for (size_t i = 0; i < body.size(); ++i) {
        ASSERT_EQ(static_cast<unsigned char>(body[i]), i % 251) << "byte " << i;
    }
}

} // namespace
