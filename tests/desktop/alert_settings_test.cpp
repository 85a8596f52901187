#include "desktop/alert_settings.h"

#include <gtest/gtest.h>

#include <tuple>

namespace mb {
namespace {

TEST(AlertSettings, ThresholdsInRangeOrOffAndTheSoundOnUnlessZero) {
    const std::tuple<const char*, int32_t, int32_t, int32_t> cases[] = {
        // text, then as SpawnLeadSeconds, HealthBelowPercent, ClockWarnSeconds
        {"", 0, 0, 0},           {"0", 0, 0, 0},       {"1", 0, 1, 1},       {"9", 0, 9, 9},
        {"10", 10, 10, 10},      {"99", 99, 99, 99},   {"100", 100, 0, 100}, {"1800", 1800, 0, 1800},
        {"1801", 0, 0, 1801},    {"3600", 0, 0, 3600}, {"3601", 0, 0, 0},    {" 300\t", 300, 0, 300},
        {"0030", 30, 30, 30},    {"abc", 0, 0, 0},     {"12abc", 0, 0, 0},   {"-5", 0, 0, 0},
        {"+5", 0, 0, 0},         {"3.5", 0, 0, 0},     {"1 0", 0, 0, 0},     {"99999999999", 0, 0, 0},
        {"4294967306", 0, 0, 0},
    };
    for (const auto& [text, lead, below, warn] : cases) {
        EXPECT_EQ(parseAlertThreshold(text, kMinSpawnLead, kMaxSpawnLead), lead) << text;
        EXPECT_EQ(parseAlertThreshold(text, kMinHealthBelow, kMaxHealthBelow), below) << text;
        EXPECT_EQ(parseAlertThreshold(text, kMinClockWarn, kMaxClockWarn), warn) << text;
    }
    for (const char* off : {"0", " 0 ", "\t0", "00"}) EXPECT_FALSE(parseAlertSound(off)) << off;
    for (const char* on : {"1", "", "2", "off", "no", "-1", "0x"}) EXPECT_TRUE(parseAlertSound(on)) << on;
    EXPECT_FALSE(AlertSettings{}.anyOn());
    EXPECT_TRUE(AlertSettings{}.sound);
}

}  // namespace
}  // namespace mb
