// Breaking Unix seconds down into UTC dates: known instants, the range limits, and the round trip
// through the server-time conversion.
#include "core/utc_time.h"

#include <gtest/gtest.h>

#include "core/server_time.h"

namespace mb {
namespace {

constexpr int64_t kLatest = 32535215999;  // 3000-12-31 23:59:59 UTC

TEST(UtcTime, BreaksDownWithinTheRuntimesRangeAndInvertsTheServerTimeConversion) {
    EXPECT_EQ(breakDownUtc(0), (UtcTime{1970, 1, 1, 0, 0, 0}));
    EXPECT_EQ(breakDownUtc(951782400), (UtcTime{2000, 2, 29, 0, 0, 0}));  // 2000 is a leap year
    EXPECT_EQ(breakDownUtc(4107542400), (UtcTime{2100, 3, 1, 0, 0, 0}));  // 2100 is not
    EXPECT_EQ(breakDownUtc(1764592496), (UtcTime{2025, 12, 1, 12, 34, 56}));
    EXPECT_EQ(breakDownUtc(kLatest), (UtcTime{3000, 12, 31, 23, 59, 59}));
    for (int64_t outside : {int64_t{-1}, kLatest + 1, INT64_MIN, INT64_MAX}) {
        EXPECT_EQ(breakDownUtc(outside), std::nullopt);
    }

    // One day and one second apart: every calendar day of the range, at a drifting time of day.
    for (int64_t seconds = 0; seconds <= kLatest; seconds += 86401) {
        const UtcTime t = breakDownUtc(seconds).value();
        const BrokenDownTime back{t.year - 1900, t.month - 1, t.day, t.hour, t.minute, t.second};
        ASSERT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31) << seconds;
        ASSERT_EQ(makeGmTime(back), seconds);
    }
}

}  // namespace
}  // namespace mb
