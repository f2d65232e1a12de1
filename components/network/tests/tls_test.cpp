// Certificates are verified: a server whose certificate nobody trusted is no server at all.
#include "http/router.h"

#include "recording_action.h"
#include "sim_process.h"

#include <gtest/gtest.h>

namespace {

using networktest::EventLog;
using networktest::RecordingAction;
using networktest::TrackedRecord;

TEST(Certificates, SelfSignedServerEndsAsTransportErrorAndIsNeverAsked) {
    simtest::ServiceSim sim({.tls = true});
    ASSERT_TRUE(sim.Running()) << sim.Error();
    ASSERT_GT(sim.TlsPort(), 0);

    EventLog log;
    RecordingAction action(log);
    Http::Router::GetInstance().Get(Http::URL(sim.TlsUrl("/users/statistics")), &action,
                                    new TrackedRecord(log, "self-signed"));
    ASSERT_TRUE(log.WaitFor("destroyed:self-signed"));
    auto outcome = action.OutcomeOf("self-signed");
    EXPECT_EQ(outcome.code, CURLE_PEER_FAILED_VERIFICATION);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.body, "");
    EXPECT_TRUE(sim.RequestsTo("/users/statistics").empty())
        << "the request went out over a connection that was never trusted";
}

} // namespace
