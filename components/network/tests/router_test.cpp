#include "http/router.h"

#include "recording_action.h"
#include "sim_fixture.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace {

using networktest::EventLog;
using networktest::RecordingAction;
using networktest::ScopedEnv;
using networktest::TrackedRecord;

class RouterTest : public simtest::SimFixture {
protected:
    // Every request of a test ends before its action and log go away, even when the test
    // failed half-way.
    void TearDown() override {
        for (const auto& name : m_issued) {
            EXPECT_TRUE(m_log.WaitFor("destroyed:" + name)) << name << " never ended";
        }
    }

    // Starts a GET whose record is named name.
    void Get(const std::string& address, const std::string& name) { Get(Http::URL(address), name); }
    void Get(const Http::URL& url, const std::string& name, Http::Action* action = nullptr) {
        m_issued.push_back(name);
        Http::Router::GetInstance().Get(url, action ? action : &m_action,
                                        new TrackedRecord(m_log, name));
    }
    // Waits until the request's record is gone, which comes after its Do.
    ::testing::AssertionResult Finished(const std::string& name) {
        if (m_log.WaitFor("destroyed:" + name)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << name << " did not finish";
    }

    EventLog m_log;
    RecordingAction m_action{m_log};
    std::vector<std::string> m_issued;
};

// A port on which nothing listens.
int DeadPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
}

TEST_F(RouterTest, QueryArrivesExactlyAndReplyReachesDo) {
    Http::URL url(Sim().BaseUrl(), "/users/moreSoftware",
                  {{"type", "common"}, {"product", "\xE4\xB8\xAD a&b"}});
    Get(url, "list");
    ASSERT_TRUE(Finished("list"));

    auto requests = Sim().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/users/moreSoftware");
    EXPECT_EQ(requests[0].query, "product=%E4%B8%AD%20a%26b&type=common");
    EXPECT_EQ(requests[0].Param("product"), "\xE4\xB8\xAD a&b");

    auto outcome = m_action.OutcomeOf("list");
    EXPECT_EQ(outcome.code, CURLE_OK);
    EXPECT_EQ(outcome.status, 200);
    Json::Value reply;
    ASSERT_TRUE(Json::Reader().parse(outcome.body, reply)) << outcome.body;
    EXPECT_TRUE(reply["code"].isInt());
    EXPECT_EQ(reply["code"].asInt(), 0);
    EXPECT_EQ(reply["list"].size(), 3u);
}

TEST_F(RouterTest, RecordIsDestroyedExactlyOnceAfterDo) {
    std::atomic<Http::Base*> seenInDo{nullptr};
    m_action.onDo = [&](const Http::Task& task) { seenInDo = task.UserData(); };
    auto* record = new TrackedRecord(m_log, "stats");
    m_issued.push_back("stats");
    Http::Router::GetInstance().Get(Http::URL(Sim().Url("/users/statistics")), &m_action, record);
    ASSERT_TRUE(Finished("stats"));

    EXPECT_EQ(seenInDo.load(), record);
    std::vector<std::string> ends;
    for (const auto& event : m_log.Events()) {
        if (event.rfind("progress:", 0) != 0) {
            ends.push_back(event);
        }
    }
    EXPECT_EQ(ends, (std::vector<std::string>{"do:stats", "destroyed:stats"}));
}

TEST_F(RouterTest, RequestWithoutActionStillDisposesOfItsRecord) {
    m_issued.push_back("silent");
    Http::Router::GetInstance().Get(Http::URL(Sim().Url("/users/statistics")), nullptr,
                                    new TrackedRecord(m_log, "silent"));
    ASSERT_TRUE(Finished("silent"));
    EXPECT_EQ(m_log.Count("do:silent"), 0u);
}

TEST_F(RouterTest, HttpErrorStatusIsDeliveredAsACompletedTransfer) {
    ASSERT_TRUE(Sim().SetMode("/wxpub/getUserInfo", R"({"status": 500, "body": "oops"})"));
    Get(Sim().Url("/wxpub/getUserInfo"), "error");
    ASSERT_TRUE(Finished("error"));
    auto outcome = m_action.OutcomeOf("error");
    EXPECT_EQ(outcome.code, CURLE_OK);
    EXPECT_EQ(outcome.status, 500);
    EXPECT_EQ(outcome.body, "oops");
}

TEST_F(RouterTest, TwoRequestsRunAtTheSameTime) {
    // The first reply stalls half-way; the second must not wait for it.
    ScopedEnv lowSpeed("HTTP_LOW_SPEED_TIME", "2");
    ASSERT_TRUE(Sim().SetMode("/users/moreSoftware", R"({"mode": "stall"})"));
    Get(Sim().Url("/users/moreSoftware"), "stalled");
    Get(Sim().Url("/users/statistics"), "quick");

    ASSERT_TRUE(Finished("quick"));
    EXPECT_EQ(m_log.Count("do:stalled"), 0u);
    EXPECT_EQ(m_action.OutcomeOf("quick").code, CURLE_OK);

    ASSERT_TRUE(Finished("stalled"));
    EXPECT_EQ(m_action.OutcomeOf("stalled").code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(m_action.OutcomeOf("stalled").body, "") << "a cut-short body is not delivered";
}

TEST_F(RouterTest, ServerThatNeverAnswersEndsAsTransportError) {
    ScopedEnv lowSpeed("HTTP_LOW_SPEED_TIME", "1");
    ASSERT_TRUE(Sim().SetMode("/download/update", R"({"delay_ms": 600000})"));
    Get(Sim().Url("/download/update"), "silent server");
    ASSERT_TRUE(Finished("silent server"));
    EXPECT_EQ(m_action.OutcomeOf("silent server").code, CURLE_OPERATION_TIMEDOUT);
}

TEST_F(RouterTest, DeadPortEndsAsConnectionError) {
    Get("http://127.0.0.1:" + std::to_string(DeadPort()) + "/users/statistics", "dead");
    ASSERT_TRUE(Finished("dead"));
    EXPECT_EQ(m_action.OutcomeOf("dead").code, CURLE_COULDNT_CONNECT);
}

TEST_F(RouterTest, ConnectionClosedMidBodyEndsAsPartialTransfer) {
    ASSERT_TRUE(Sim().SetMode("/users/limiteditprompt", R"({"mode": "break"})"));
    Get(Sim().Url("/users/limiteditprompt"), "broken");
    ASSERT_TRUE(Finished("broken"));
    EXPECT_EQ(m_action.OutcomeOf("broken").code, CURLE_PARTIAL_FILE);
}

TEST_F(RouterTest, ProgressReportsGrowingByteCounts) {
    // Rate-limited, so the body arrives in several pieces.
    const int size = 2'000'000;
    Get(Sim().Url("/files/big?size=" + std::to_string(size) + "&rate=8000000"), "big");
    ASSERT_TRUE(Finished("big"));
    ASSERT_EQ(m_action.OutcomeOf("big").code, CURLE_OK);
    EXPECT_EQ(m_action.OutcomeOf("big").body.size(), static_cast<size_t>(size));

    auto calls = m_action.ProgressCalls();
    ASSERT_FALSE(calls.empty());
    int growing = 0;
    for (size_t i = 1; i < calls.size(); ++i) {
        EXPECT_GE(calls[i].elapsed, calls[i - 1].elapsed);
        EXPECT_GE(calls[i].now, calls[i - 1].now);
        growing += calls[i].now > calls[i - 1].now && calls[i].now < size;
        if (calls[i].total != 0) {
            EXPECT_EQ(calls[i].total, size);
        }
    }
    EXPECT_GE(growing, 2) << "the count should grow in steps while data arrives";
    EXPECT_EQ(calls.back().now, size);
}

TEST_F(RouterTest, NonZeroProgressAbortsTheTransfer) {
    m_action.onProgress = [](const networktest::ProgressCall& call) { return call.now > 0; };
    Get(Sim().Url("/files/big?size=50000000&rate=10000000"), "aborted");
    ASSERT_TRUE(Finished("aborted"));
    auto outcome = m_action.OutcomeOf("aborted");
    EXPECT_EQ(outcome.code, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(outcome.body.size(), 0u);
}

TEST_F(RouterTest, BodyAboveTheLimitFailsInsteadOfFillingMemory) {
    ScopedEnv limit("HTTP_MAX_BODY", "1000");
    Get(Sim().Url("/files/big?size=1000"), "at limit");
    Get(Sim().Url("/files/big?size=1001"), "announced");
    Get(Sim().Url("/files/big?size=5000&chunked=1"), "chunked");
    ASSERT_TRUE(Finished("at limit"));
    ASSERT_TRUE(Finished("announced"));
    ASSERT_TRUE(Finished("chunked"));
    EXPECT_EQ(m_action.OutcomeOf("at limit").code, CURLE_OK);
    EXPECT_EQ(m_action.OutcomeOf("at limit").body.size(), 1000u);
    EXPECT_EQ(m_action.OutcomeOf("announced").code, CURLE_FILESIZE_EXCEEDED);
    EXPECT_EQ(m_action.OutcomeOf("chunked").code, CURLE_WRITE_ERROR);
    EXPECT_EQ(m_action.OutcomeOf("chunked").body.size(), 0u);
}

TEST_F(RouterTest, BareHostIsFetchedOverHttps) {
    // The simulator speaks plain HTTP, so a TLS handshake with it must fail.
    std::string host = "127.0.0.1:" + std::to_string(Sim().Port());
    Get(Http::URL(host, "/users/statistics", {}), "bare");
    ASSERT_TRUE(Finished("bare"));
    EXPECT_NE(m_action.OutcomeOf("bare").code, CURLE_OK);
    EXPECT_TRUE(Sim().RequestsTo("/users/statistics").empty());
}

TEST_F(RouterTest, OnlyWebAddressesAreFetched) {
    Get("file:///etc/hostname", "file");
    ASSERT_TRUE(Finished("file"));
    EXPECT_EQ(m_action.OutcomeOf("file").code, CURLE_UNSUPPORTED_PROTOCOL);
    EXPECT_EQ(m_action.OutcomeOf("file").body, "");
}

TEST_F(RouterTest, RedirectsAreFollowedOnlyToWebAddresses) {
    ASSERT_TRUE(Sim().SetMode("/users/statistics",
                              R"({"status": 302, "headers": {"Location": "/files/big?size=10"}})"));
    ASSERT_TRUE(
        Sim().SetMode("/wxpub/getUserInfo",
                      R"({"status": 302, "headers": {"Location": "file:///etc/hostname"}})"));
    Get(Sim().Url("/users/statistics"), "moved");
    Get(Sim().Url("/wxpub/getUserInfo"), "to file");
    ASSERT_TRUE(Finished("moved"));
    ASSERT_TRUE(Finished("to file"));
    EXPECT_EQ(m_action.OutcomeOf("moved").code, CURLE_OK);
    EXPECT_EQ(m_action.OutcomeOf("moved").body.size(), 10u);
    EXPECT_NE(m_action.OutcomeOf("to file").code, CURLE_OK);
}

TEST_F(RouterTest, ThrowingDoDoesNotStopLaterRequests) {
    m_action.onDo = [](const Http::Task& task) {
        if (task.Url().Str().find("statistics") != std::string::npos) {
            throw std::runtime_error("handler failed");
        }
    };
    Get(Sim().Url("/users/statistics"), "throws");
    ASSERT_TRUE(Finished("throws"));
    Get(Sim().Url("/users/limiteditprompt"), "after");
    ASSERT_TRUE(Finished("after"));
    EXPECT_EQ(m_action.OutcomeOf("after").code, CURLE_OK);
}

TEST_F(RouterTest, ThrowingProgressAbortsOnlyItsOwnTransfer) {
    // Progress runs inside libcurl's C frames: an exception that left it would end the process.
    m_action.onProgress = [](const networktest::ProgressCall& call) -> int {
        if (call.now > 0 && call.total == 20'000'000) {
            throw std::runtime_error("progress failed");
        }
        if (call.now > 0 && call.total == 20'000'001) {
            throw 7;
        }
        return 0;
    };
    Get(Sim().Url("/files/big?size=20000000&rate=10000000"), "std exception");
    Get(Sim().Url("/files/big?size=20000001&rate=10000000"), "other exception");
    ASSERT_TRUE(Finished("std exception"));
    ASSERT_TRUE(Finished("other exception"));
    EXPECT_EQ(m_action.OutcomeOf("std exception").code, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(m_action.OutcomeOf("other exception").code, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(m_action.OutcomeOf("std exception").body.size(), 0u);

    Get(Sim().Url("/users/limiteditprompt"), "after");
    ASSERT_TRUE(Finished("after"));
    EXPECT_EQ(m_action.OutcomeOf("after").code, CURLE_OK);
}

TEST_F(RouterTest, DoCanStartAnotherRequest) {
    std::string next = Sim().Url("/users/limiteditprompt");
    m_action.onDo = [&](const Http::Task& task) {
        auto* record = dynamic_cast<TrackedRecord*>(task.UserData());
        if (record && record->Name() == "first") {
            Http::Router::GetInstance().Get(Http::URL(next), &m_action,
                                            new TrackedRecord(m_log, "second"));
        }
    };
    m_issued.push_back("second");
    Get(Sim().Url("/users/statistics"), "first");
    ASSERT_TRUE(Finished("second"));
    EXPECT_EQ(m_action.OutcomeOf("second").code, CURLE_OK);
}

} // namespace
