#include "core/win/tracker_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/freshness.h"

namespace mb {
namespace {

TEST(TrackerState, StartsEmptyWithTheCacheAgeUnknown) {
    TrackerState state;
    EXPECT_TRUE(state.bosses.empty());
    EXPECT_TRUE(state.bossStatus.empty());
    EXPECT_TRUE(state.selectedBossId.empty());
    EXPECT_EQ(state.cacheAgeSeconds, -1.0);
    EXPECT_FALSE(state.dataChanged);
    EXPECT_EQ(state.dotPhase, 0);
}

TEST(TrackerState, WritersAndReadersMeetUnderTheLock) {
    TrackerState state;
    constexpr int kPolls = 20000;
    const int64_t now = 1740830400;
    std::atomic<bool> done{false};
    std::thread poller([&] {
        for (int i = 0; i < kPolls; ++i) {
            ChannelStatus report;
            report.channel_number = i;
            report.last_hp = 100;
            report.last_update_time = now;
            CriticalSectionLock hold(state.stateLock);
            state.bossStatus["boss"].channels.assign(1 + i % 3, report);
            state.dataChanged = true;
            state.dotPhase = (state.dotPhase + 1) % 3;
        }
        done = true;
    });
    // The reader runs until the poller is done, as the refresh timer would.
    bool consistent = true;
    while (!done && consistent) {
        CriticalSectionLock hold(state.stateLock);
        const int fresh = freshReportCount(state.bossStatus, "boss", now);
        consistent = fresh >= 0 && fresh <= 3 && state.dotPhase >= 0 && state.dotPhase <= 2;
        state.dataChanged = false;
    }
    poller.join();
    EXPECT_TRUE(consistent);
    CriticalSectionLock hold(state.stateLock);
    EXPECT_EQ(state.dotPhase, kPolls % 3);
    EXPECT_EQ(freshReportCount(state.bossStatus, "boss", now), 1 + (kPolls - 1) % 3);
}

}  // namespace
}  // namespace mb
