// One tracker state through the row assembly, the selector counts and the start-up selection.
#include "app/row_assembly.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

namespace mb {
namespace {

constexpr int64_t kNow = 1764590400;

ChannelStatus report(int32_t channel, int32_t hp, double etd, int64_t age) {
    return {channel, hp, "", kNow - age, 0.25, etd, ""};
}

TEST(RowAssembly, RowsCountsAndSelectionOfOneTrackerState) {
    const std::vector<Boss> bosses = {{"stale", "A", 0, 0, ""}, {"none", "B", 0, 0, ""}, {"mixed", "C", 0, 0, ""}};
    BossStatusMap status;
    status["stale"].channels = {report(1, 50, -1, 500), report(2, 0, -1, 0)};
    status["mixed"].channels = {report(3, 40, 120, 20), report(7, 90, -1, 10), report(2, 60, 30, 30),
                                report(5, 20, -1, 600), report(9, 0, 10, 0)};

    const std::vector<ChannelRow> rows = buildChannelRows(status["mixed"].channels, kNow);
    ASSERT_EQ(rows.size(), 4u);  // channel 9, with no live boss, gives no row
    const ChannelRow expected[] = {{2, 60, 0.25, 30, 0, 0},
                                   {3, 40, 0.25, 120, 0, 0},
                                   {7, 90, 0.25, -1, 0, 0},
                                   {5, 20, 0.25, -1, kStaleBarColor, kStaleTextColor}};
    const auto fields = [](const ChannelRow& r) {
        return std::tuple(r.channel, r.hpPercent, r.lossRate, r.secondsLeft, r.barColor, r.textColor);
    };
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(fields(rows[i]), fields(expected[i])) << i;

    const struct {
        const char* id;
        int32_t fresh, total;
        uint32_t color;
    } counts[] = {{"stale", 0, 2, kStaleItemColor}, {"none", 0, 0, kStaleItemColor}, {"mixed", 3, 5, kFreshItemColor}};
    for (const auto& c : counts) {
        const SelectorCounts got = selectorCounts(status, c.id, kNow);
        EXPECT_TRUE(got.fresh == c.fresh && got.total == c.total && got.color == c.color) << c.id;
    }
    EXPECT_EQ(findBossIndex(bosses, "mixed"), 2u);
    EXPECT_EQ(findBossIndex(bosses, "Mixed"), std::nullopt);
    EXPECT_EQ(findBossIndex(bosses, ""), std::nullopt);
    EXPECT_EQ(firstBossWithFreshReport(bosses, status, kNow), 2u);
    // One fresh report turns the stale boss green and makes it the first choice.
    status["stale"].channels.push_back(report(4, 100, -1, 299));
    EXPECT_EQ(selectorCounts(status, "stale", kNow).color, kFreshItemColor);
    EXPECT_EQ(firstBossWithFreshReport(bosses, status, kNow), 0u);
    EXPECT_EQ(firstBossWithFreshReport(bosses, status, kNow + 400), std::nullopt);
}

// The all-bosses view: each boss's first row, the bosses ordered as rows are, and bosses without
// a fresh report left out.
TEST(RowAssembly, OneRowPerBossWithAFreshReportTheSoonestToDieFirst) {
    const std::vector<Boss> bosses = {{"a", "A", 0, 0, ""},
                                      {"b", "B", 0, 0, ""},
                                      {"c", "C", 0, 0, ""},
                                      {"d", "D", 0, 0, ""},
                                      {"e", "E", 0, 0, ""}};
    BossStatusMap status;
    status["a"].channels = {report(1, 80, 300, 10), report(4, 30, 90, 20), report(6, 10, -1, 5)};  // 4 dies first
    status["b"].channels = {report(2, 50, -1, 500), report(3, 40, 45, 400)};                       // stale only
    status["c"].channels = {report(8, 70, -1, 30), report(9, 0, 5, 0)};                            // no etd known
    status["d"].channels = {report(5, 20, 60, 50), report(7, 60, 600, 5)};                         // 5 dies first
    // "e" has no entry at all.
    std::vector<std::pair<size_t, int32_t>> rows;  // boss, channel
    for (const BossRow& row : bossRows(bosses, status, kNow)) rows.emplace_back(row.boss, row.report.channel_number);
    EXPECT_EQ(rows, (std::vector<std::pair<size_t, int32_t>>{{3, 5}, {0, 4}, {2, 8}}));
}

}  // namespace
}  // namespace mb
