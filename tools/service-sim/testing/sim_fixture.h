// GoogleTest fixture around service-sim: one simulator per test suite, reset (record cleared,
// startup script restored) before each test. Derive a fixture from it, or use it directly:
//
//   class UpdateCheckTest : public simtest::SimFixture {};
//   TEST_F(UpdateCheckTest, SendsTheVersion) { ... Sim().Url("/download/update") ... }
//
// A suite that needs its own script starts the simulator itself:
//   static void SetUpTestSuite() { StartSim({.script = "..."}); }
#pragma once

#include "sim_process.h"

#include <gtest/gtest.h>

#include <memory>

namespace simtest {

class SimFixture : public ::testing::Test {
public:
    static void SetUpTestSuite() { StartSim({}); }
    static void TearDownTestSuite() { s_sim.reset(); }

protected:
    static void StartSim(const SimOptions& options) {
        s_sim = std::make_unique<ServiceSim>(options);
    }
    static ServiceSim& Sim() { return *s_sim; }

    void SetUp() override {
        ASSERT_TRUE(s_sim && s_sim->Running()) << (s_sim ? s_sim->Error() : "not started");
        ASSERT_TRUE(s_sim->Reset());
    }

private:
    inline static std::unique_ptr<ServiceSim> s_sim;
};

} // namespace simtest
