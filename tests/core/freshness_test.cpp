#include "core/freshness.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

constexpr int64_t kNow = 1740830400;

ChannelStatus report(int32_t hp, int64_t updated) {
    ChannelStatus status;
    status.last_hp = hp;
    status.last_update_time = updated;
    return status;
}

TEST(Freshness, WindowShrinksAsHealthFalls) {
    EXPECT_EQ(freshnessWindow(100), 300);
    EXPECT_EQ(freshnessWindow(99), 180);
    EXPECT_EQ(freshnessWindow(80), 180);
    EXPECT_EQ(freshnessWindow(79), 120);
    EXPECT_EQ(freshnessWindow(1), 120);
}

TEST(Freshness, LimitsAtEachHealthBand) {
    EXPECT_TRUE(isReportFresh(report(100, kNow - 299), kNow));
    EXPECT_TRUE(isReportFresh(report(100, kNow - 300), kNow));
    EXPECT_FALSE(isReportFresh(report(100, kNow - 301), kNow));
    EXPECT_TRUE(isReportStale(report(100, kNow - 301), kNow));

    EXPECT_TRUE(isReportFresh(report(85, kNow - 180), kNow));
    EXPECT_FALSE(isReportFresh(report(85, kNow - 181), kNow));
    EXPECT_TRUE(isReportStale(report(85, kNow - 181), kNow));

    EXPECT_TRUE(isReportFresh(report(79, kNow - 120), kNow));
    EXPECT_FALSE(isReportFresh(report(79, kNow - 121), kNow));
    EXPECT_TRUE(isReportStale(report(79, kNow - 121), kNow));

    // A report from the future (a clock behind the server's) counts as fresh.
    EXPECT_TRUE(isReportFresh(report(50, kNow + 3600), kNow));
}

TEST(Freshness, MissingTimeIsStaleAndZeroHealthIsNeither) {
    EXPECT_FALSE(isReportFresh(report(40, 0), kNow));
    EXPECT_TRUE(isReportStale(report(40, 0), kNow));
    for (int64_t updated : {int64_t{0}, kNow, kNow - 10000, int64_t{-1}}) {
        EXPECT_FALSE(isReportFresh(report(0, updated), kNow)) << updated;
        EXPECT_FALSE(isReportStale(report(0, updated), kNow)) << updated;
    }
    // A time stamp the parser could not represent is old, not missing.
    EXPECT_TRUE(isReportStale(report(90, -1), kNow));
}

TEST(Freshness, LocalClockMinutesFastTurnsEveryReportStale) {
    const int64_t fastNow = kNow + 6 * 60;
    for (int32_t hp : {100, 85, 79}) {
        EXPECT_TRUE(isReportFresh(report(hp, kNow - 10), kNow)) << hp;
        EXPECT_TRUE(isReportStale(report(hp, kNow - 10), fastNow)) << hp;
    }
}

TEST(Freshness, CountsFreshReportsOfOneBoss) {
    BossStatusMap statusMap;
    BossEntry& entry = statusMap["boss-a"];
    entry.channels = {report(100, kNow - 10), report(85, kNow - 200), report(0, kNow), report(70, kNow - 100),
                      report(40, 0)};
    statusMap["boss-b"].channels = {report(100, kNow)};
    EXPECT_EQ(freshReportCount(statusMap, "boss-a", kNow), 2);
    EXPECT_EQ(freshReportCount(statusMap, "boss-b", kNow), 1);
    EXPECT_EQ(freshReportCount(statusMap, "boss-c", kNow), 0);
    EXPECT_EQ(freshReportCount(statusMap, "", kNow), 0);
    EXPECT_EQ(freshReportCount(statusMap, "boss-a", kNow + 1000), 0);
}

TEST(Freshness, ExtremeClockValuesStayDefined) {
    EXPECT_TRUE(isReportFresh(report(100, INT64_MIN + 1), INT64_MIN));
    EXPECT_TRUE(isReportFresh(report(100, INT64_MAX), INT64_MAX));
    EXPECT_FALSE(isReportFresh(report(100, INT64_MIN + 1), INT64_MAX));
}

}  // namespace
}  // namespace mb
