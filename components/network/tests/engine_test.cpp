// The worker's shutdown, on an engine of the test's own (the router's engine lives until exit).
#include "engine.h"

#include "recording_action.h"
#include "sim_fixture.h"

#include <gtest/gtest.h>

namespace {

using networktest::EventLog;
using networktest::RecordingAction;
using networktest::TrackedRecord;

class EngineTest : public simtest::SimFixture {};

std::unique_ptr<Http::Task> MakeTask(const std::string& address, Http::Action& action,
                                     EventLog& log, const std::string& name) {
    return std::make_unique<Http::Task>(Http::URL(address), &action, new TrackedRecord(log, name));
}

TEST_F(EngineTest, StopEndsRunningAndQueuedTransfersAsAborted) {
    ASSERT_TRUE(Sim().SetMode("/users/moreSoftware", R"({"mode": "stall"})"));
    EventLog log;
    RecordingAction action(log);
    {
        Http::Engine engine;
        auto stalled = MakeTask(Sim().Url("/users/moreSoftware"), action, log, "stalled");
        ASSERT_TRUE(engine.Submit(stalled, Http::Settings{}));
        EXPECT_EQ(stalled, nullptr) << "the engine took the task";
        ASSERT_TRUE(log.WaitFor("progress:stalled"));

        engine.Stop();
        EXPECT_EQ(log.Events().back(), "destroyed:stalled") << "Stop waits for the ending";
        EXPECT_EQ(action.OutcomeOf("stalled").code, CURLE_ABORTED_BY_CALLBACK);

        auto late = MakeTask(Sim().Url("/users/statistics"), action, log, "late");
        EXPECT_FALSE(engine.Submit(late, Http::Settings{}));
        ASSERT_NE(late, nullptr) << "a refused task stays with the caller";
        engine.Stop(); // a second stop is harmless
    }
    EXPECT_EQ(log.Count("do:stalled"), 1u);
    EXPECT_EQ(log.Count("destroyed:stalled"), 1u);
}

TEST_F(EngineTest, DestroyingAnIdleEngineReturns) {
    Http::Engine engine;
    EventLog log;
    RecordingAction action(log);
    auto task = MakeTask(Sim().Url("/users/statistics"), action, log, "one");
    ASSERT_TRUE(engine.Submit(task, Http::Settings{}));
    ASSERT_TRUE(log.WaitFor("destroyed:one"));
    EXPECT_EQ(action.OutcomeOf("one").code, CURLE_OK);
}

} // namespace
