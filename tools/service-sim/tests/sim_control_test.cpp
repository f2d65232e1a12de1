// What tests can make the simulator do: the request record, modes, scripts, files, log, stop.
#include "sim_fixture.h"
#include "sim_test_support.h"

#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using simtest::ParseOrNull;
using simtest::ServiceSim;
using simtest::WriteFile;

class SimControlTest : public simtest::SimFixture {};

TEST_F(SimControlTest, RecordListsMethodPathAndRawQueryInOrder) {
    Sim().Fetch("/users/statistics?type=openness&code=a%20b");
    Sim().Fetch("/files/big?size=1");
    auto requests = Sim().Requests();
    ASSERT_EQ(requests.size(), 2u) << "control requests are not recorded";
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/users/statistics");
    EXPECT_EQ(requests[0].query, "type=openness&code=a%20b");
    EXPECT_EQ(requests[0].Param("code"), "a b");
    EXPECT_EQ(requests[1].path, "/files/big");
    EXPECT_LT(requests[0].seq, requests[1].seq);

    ASSERT_TRUE(Sim().Reset());
    EXPECT_TRUE(Sim().Requests().empty());
}

TEST_F(SimControlTest, RepeatedParameterKeepsEveryValueInOrder) {
    Sim().Fetch("/users/statistics?code=first&type=openness&code=second%20one");
    auto requests = Sim().Requests();
    ASSERT_EQ(requests.size(), 1u);
    auto [begin, end] = requests[0].params.equal_range("code");
    std::vector<std::string> codes;
    for (auto it = begin; it != end; ++it) {
        codes.push_back(it->second);
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"first", "second one"}));
    EXPECT_EQ(requests[0].Param("code"), "first");
    EXPECT_EQ(requests[0].Param("type"), "openness");
    EXPECT_EQ(requests[0].Param("absent"), "");
}

TEST_F(SimControlTest, ModeChangesOnlyTheNamedEndpointUntilReset) {
    ASSERT_TRUE(Sim().SetMode("/users/moreSoftware", R"({"mode": "nonjson"})"));
    auto [status, body] = Sim().Fetch("/users/moreSoftware");
    EXPECT_EQ(status, 200);
    EXPECT_TRUE(ParseOrNull(body).isNull()) << body;
    EXPECT_EQ(ParseOrNull(Sim().Fetch("/users/statistics").second)["code"].asInt(), 0);

    ASSERT_TRUE(Sim().Reset());
    EXPECT_EQ(ParseOrNull(Sim().Fetch("/users/moreSoftware").second)["list"].size(), 3u);
}

TEST_F(SimControlTest, GivenStatusAndBodyAreSentExactly) {
    ASSERT_TRUE(
        Sim().SetMode("/download/update", R"({"status": 503, "body": "{\"code\":\"0\"}"})"));
    auto [status, body] = Sim().Fetch("/download/update");
    EXPECT_EQ(status, 503);
    EXPECT_EQ(body, "{\"code\":\"0\"}") << "no code or msg is added to a given body";
}

TEST_F(SimControlTest, ReplyWithoutCodeOrMsgGetsThemButKeepsItsOwn) {
    ASSERT_TRUE(
        Sim().SetMode("/wxpub/getUserInfo", R"({"reply": {"code": 7, "x": "${query.u}"}})"));
    Json::Value reply = ParseOrNull(Sim().Fetch("/wxpub/getUserInfo?u=%E4%B8%AD").second);
    EXPECT_EQ(reply["code"].asInt(), 7);
    EXPECT_EQ(reply["msg"].asString(), "success");
    EXPECT_EQ(reply["x"].asString(), "\xE4\xB8\xAD");
}

TEST_F(SimControlTest, BrokenReplyIsCutShort) {
    ASSERT_TRUE(Sim().SetMode("/files/big", R"({"mode": "break"})"));
    auto [status, body] = Sim().Fetch("/files/big?size=100000");
    EXPECT_TRUE(status == 0 || body.size() < 100000u) << "status " << status;
}

TEST_F(SimControlTest, RepliesAreServedInTurnAndTheLastRepeats) {
    ASSERT_TRUE(Sim().SetMode("/users/statistics",
                              R"({"replies": [{"n": 1}, {"n": 2}], "sequence_by": null})"));
    int seen[3];
    for (int& n : seen) {
        n = ParseOrNull(Sim().Fetch("/users/statistics").second)["n"].asInt();
    }
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[1], 2);
    EXPECT_EQ(seen[2], 2);
}

TEST_F(SimControlTest, InvalidChangeIsRefusedAndChangesNothing) {
    EXPECT_FALSE(Sim().SetMode("/users/statistics", R"({"mode": "explode"})"));
    EXPECT_FALSE(Sim().SetMode("/users/statistics", R"({"status": "500"})"));
    EXPECT_FALSE(Sim().SetMode("/users/statistics", R"({"replies": []})"));
    EXPECT_FALSE(Sim().MergeScript("[1, 2]"));
    EXPECT_EQ(Sim().Fetch("/users/statistics").first, 200);
}

TEST(SimScriptTest, ScriptFileReplacesItsEndpointsAndKeepsTheRest) {
    testsupport::TempDir dir;
    const std::string script = dir.Path() + "/script.json";
    WriteFile(script, R"({"endpoints": {"/download/update":
                           {"reply": {"code": 1, "msg": "已是最新版本"}}}})");
    ServiceSim sim({.script = script});
    ASSERT_TRUE(sim.Running()) << sim.Error();
    Json::Value update = ParseOrNull(sim.Fetch("/download/update").second);
    EXPECT_EQ(update["code"].asInt(), 1);
    EXPECT_EQ(update["msg"].asString(), "已是最新版本");
    EXPECT_EQ(ParseOrNull(sim.Fetch("/users/moreSoftware").second)["list"].size(), 3u);
}

TEST(SimScriptTest, ScriptWithoutDefaultsAnswersOnlyItsOwnEndpoints) {
    testsupport::TempDir dir;
    const std::string script = dir.Path() + "/script.json";
    WriteFile(script, R"({"defaults": false, "endpoints": {"/users/statistics": {"reply": {}}}})");
    ServiceSim sim({.script = script});
    ASSERT_TRUE(sim.Running()) << sim.Error();
    EXPECT_EQ(sim.Fetch("/users/statistics").first, 200);
    EXPECT_EQ(sim.Fetch("/download/update").first, 404);
}

TEST(SimScriptTest, InvalidScriptStopsTheStart) {
    testsupport::TempDir dir;
    const std::string script = dir.Path() + "/script.json";
    WriteFile(script, R"({"endpoints": {"/x": {"mode": "sometimes"}}})");
    ServiceSim sim({.script = script});
    EXPECT_FALSE(sim.Running());
}

TEST(SimFilesTest, FilesFolderIsServedAndCannotBeLeft) {
    testsupport::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.Path() + "/files/sub");
    WriteFile(dir.Path() + "/files/sub/setup.exe", "installer bytes");
    WriteFile(dir.Path() + "/secret.txt", "secret");
    fs::create_symlink(dir.Path() + "/secret.txt", dir.Path() + "/files/link.txt");

    ServiceSim sim({.filesDir = dir.Path() + "/files"});
    ASSERT_TRUE(sim.Running()) << sim.Error();
    EXPECT_EQ(sim.Fetch("/files/sub/setup.exe").second, "installer bytes");
    for (const char* escape : {"/files/../secret.txt", "/files/%2E%2E/secret.txt",
                               "/files/sub/../../secret.txt", "/files/link.txt"}) {
        auto [status, body] = sim.Fetch(escape);
        EXPECT_NE(body, "secret") << escape;
        EXPECT_NE(status, 200) << escape;
    }
}

TEST(SimLogTest, LogFileGetsOneLinePerRequest) {
    testsupport::TempDir dir;
    const std::string logFile = dir.Path() + "/requests.log";
    {
        ServiceSim sim({.logFile = logFile});
        ASSERT_TRUE(sim.Running()) << sim.Error();
        sim.Fetch("/users/statistics?type=openness");
        sim.Fetch("/wxpub/createQrcode?machine=m");
        EXPECT_EQ(sim.Stop(), 0) << "SIGTERM ends the simulator with exit code 0";
    }
    std::ifstream in(logFile);
    std::string line;
    std::vector<Json::Value> lines;
    while (std::getline(in, line)) {
        lines.push_back(ParseOrNull(line));
    }
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["path"].asString(), "/users/statistics");
    EXPECT_EQ(lines[0]["query"].asString(), "type=openness");
    EXPECT_EQ(lines[1]["params"]["machine"].asString(), "m");
}

} // namespace
