// The channel order: each rule in turn, and the circle that stale reports without a time can form.
#include "core/channel_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace mb {
namespace {

constexpr int64_t kNow = 1764590400;

ChannelStatus report(int32_t channel, int32_t hp, double etd, int64_t age) {
    return {channel, hp, "", age < 0 ? 0 : kNow - age, 0.0, etd, ""};  // a negative age: no time
}

std::vector<int32_t> sortedChannels(std::vector<ChannelStatus> reports) {
    sortChannels(reports, kNow);
    std::vector<int32_t> channels;
    for (const ChannelStatus& status : reports) channels.push_back(status.channel_number);
    return channels;
}

TEST(ChannelOrder, SortsByFreshnessEtdRecencyThenHealthAndChannel) {
    const double nan = std::nan("");
    const struct {
        const char* what;
        std::vector<ChannelStatus> input;
        std::vector<int32_t> expected;
    } cases[] = {
        {"fresh by etd, fresh without, stale",
         {report(3, 40, 120, 20), report(7, 90, -1, 10), report(2, 60, 30, 30), report(5, 20, -1, 600)},
         {2, 3, 7, 5}},
        {"one time: health, then channel",
         {report(4, 70, -1, 5), report(1, 70, -1, 5), report(9, 30, nan, 5)},
         {9, 1, 4}},
        {"recency at unknown or equal etd",
         {report(1, 10, 0, 50), report(2, 90, nan, 5), report(3, 50, 40, 9), report(4, 50, 40, 1)},
         {4, 3, 2, 1}},
        {"no time, no recency", {report(1, 60, -1, 1000), report(2, 30, -1, -1), report(3, 80, -1, 900)}, {2, 3, 1}},
        {"stale alike", {report(6, 50, -1, 900), report(5, 50, 300, 1000), report(8, 50, -1, 800)}, {5, 8, 6}},
        {"infinite etd last of the known",
         {report(1, 50, INFINITY, 0), report(2, 50, -1, 0), report(3, 50, 1e300, 0)},
         {3, 1, 2}},
    };
    for (const auto& c : cases) EXPECT_EQ(sortedChannels(c.input), c.expected) << c.what;
}

TEST(ChannelOrder, CircularStaleReportsGiveAPermutation) {
    // b before c by recency, c before a and a before b by health: no order satisfies all three.
    const std::vector<ChannelStatus> circle = {report(1, 50, -1, -1), report(2, 60, -1, 1000), report(3, 40, -1, 2000)};
    ASSERT_TRUE(channelComesBefore(circle[1], circle[2], kNow) && channelComesBefore(circle[2], circle[0], kNow) &&
                channelComesBefore(circle[0], circle[1], kNow));
    std::vector<size_t> order = {0, 1, 2};
    do {
        std::vector<ChannelStatus> input;
        for (size_t i : order) input.push_back(circle[i]);
        std::vector<int32_t> channels = sortedChannels(input);
        std::sort(channels.begin(), channels.end());
        EXPECT_EQ(channels, (std::vector<int32_t>{1, 2, 3}));
    } while (std::next_permutation(order.begin(), order.end()));
}

}  // namespace
}  // namespace mb
