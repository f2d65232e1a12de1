#include "settings.h"

#include "recording_action.h"

#include <gtest/gtest.h>

namespace {

struct EnvCase {
    const char* value;
    long expectedSeconds;
};

class SettingsFromEnvironmentTest : public ::testing::TestWithParam<EnvCase> {};

TEST_P(SettingsFromEnvironmentTest, OnlyWholePositiveNumbersReplaceTheDefault) {
    networktest::ScopedEnv env("HTTP_LOW_SPEED_TIME", GetParam().value);
    EXPECT_EQ(Http::Settings::FromEnvironment().lowSpeedTimeSeconds, GetParam().expectedSeconds)
        << "value \"" << GetParam().value << "\"";
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsFromEnvironmentTest,
                         ::testing::Values(EnvCase{"5", 5}, EnvCase{"0", 30}, EnvCase{"-3", 30},
                                           EnvCase{"abc", 30}, EnvCase{"10x", 30}, EnvCase{"", 30},
                                           EnvCase{" 7", 30},
                                           EnvCase{"99999999999999999999999", 30}));

TEST(SettingsTest, DefaultsEndDeadAndStalledTransfers) {
    Http::Settings s = Http::Settings::FromEnvironment();
    EXPECT_EQ(s.connectTimeoutSeconds, 10);
    EXPECT_EQ(s.lowSpeedTimeSeconds, 30);
    EXPECT_EQ(s.lowSpeedLimitBytes, 1);
    EXPECT_EQ(s.maxBodyBytes, 1ull << 30);
}

TEST(SettingsTest, BodyLimitStaysBelowWhatSizeCanReport) {
    networktest::ScopedEnv env("HTTP_MAX_BODY", "99999999999");
    EXPECT_EQ(Http::Settings::FromEnvironment().maxBodyBytes, Http::Settings::kBodyLimitCeiling);
}

} // namespace
