// The alert rules and their pace, run over timelines of ticks and polls.
#include "app/alerts.h"

#include <gtest/gtest.h>

#include <utility>

#include "app/alert_outbox.h"
#include "core/spawn_countdown.h"

namespace mb {
namespace {

constexpr int64_t kNoon = 1764590400;  // 12:00:00 UTC
using Texts = std::vector<std::wstring>;

// One refresh tick after another for a boss, with the state carried on.
struct Rules {
    AlertSettings settings;
    AlertState state;
    Texts tick(const Boss& boss, int64_t now, std::optional<std::vector<ChannelStatus>> poll = {},
               std::optional<int64_t> offset = {}) {
        AlertInput input{now,
                         boss.id,
                         std::wstring(boss.name.begin(), boss.name.end()),
                         secondsUntilSpawn(boss, now),
                         poll.has_value(),
                         poll.value_or(std::vector<ChannelStatus>{}),
                         offset};
        AlertResult result = evaluateAlerts(state, input, settings);
        state = std::move(result.next);
        return result.alerts;
    }
};

TEST(SpawnAlerts, OncePerSpawnForHourlyAndHalfHourlyBossesAndNeverForOthers) {
    const std::pair<Boss, std::vector<int64_t>> cases[] = {
        // alerts in seconds after the choice at 12:00:00
        {{"a", "A", 0, 0, "boss"}, {3300, 6900}},
        {{"b", "B", 0, 30, "field_boss"}, {1500, 3300, 5100, 6900}},
        {{"c", "C", 0, 0, "magical_creature"}, {}},
        {{"d", "D", 0, 15, "boss"}, {}},
    };
    for (const auto& [boss, expected] : cases) {
        Rules rules{{300, 0, 0, true}, {}};
        std::vector<int64_t> seen;
        for (int64_t t = 0; t < 7200; ++t) {
            for (const std::wstring& alert : rules.tick(boss, kNoon + t)) {
                EXPECT_EQ(alert, std::wstring(1, static_cast<wchar_t>(boss.name[0])) + L" spawns in 5m 0s");
                seen.push_back(t);
            }
        }
        EXPECT_EQ(seen, expected) << boss.name;
    }
    // Chosen within the lead: that spawn stays quiet. A clock stepping back over the lead
    // does not bring the same spawn back; the next one alerts at the first tick within it.
    const Boss boss{"g", "Gorath", 0, 0, "boss"};
    Rules rules{{300, 0, 0, true}, {}};
    EXPECT_EQ(rules.tick(boss, kNoon + 3400), Texts{});
    Rules other{{300, 0, 0, true}, {}};
    EXPECT_EQ(other.tick(boss, kNoon + 3298), Texts{});
    EXPECT_EQ(other.tick(boss, kNoon + 3301), Texts{L"Gorath spawns in 4m 59s"});
    EXPECT_EQ(other.tick(boss, kNoon + 3290), Texts{});
    EXPECT_EQ(other.tick(boss, kNoon + 3302), Texts{});
    EXPECT_EQ(other.tick(boss, kNoon + 7000), Texts{L"Gorath spawns in 3m 20s"});
}

ChannelStatus report(int32_t channel, int32_t hp, int64_t age, double etd = -1.0) {
    return {channel, hp, "", kNoon - age, 0.5, etd, ""};
}

TEST(HealthAlerts, AChannelAlertsWhenItFallsBelowAndAgainOnlyAfterRecoveryOrDeath) {
    const Boss boss{"b", "Boss", 0, 15, "boss"};
    Rules rules{{0, 20, 0, true}, {}};
    const std::pair<std::vector<ChannelStatus>, Texts> polls[] = {
        {{report(3, 15, 5), report(4, 50, 5), report(9, 12, 500)}, {}},  // the choice: 3 is low already
        {{report(3, 14, 5), report(4, 18, 5, 65.0)}, {L"Boss: channel 4 at 18%, 1m 5s left"}},
        {{report(3, 13, 5), report(4, 17, 5, 30.0)}, {}},
        {{report(4, 20, 5)}, {}},  // back at the threshold
        {{report(4, 19, 5)}, {L"Boss: channel 4 at 19%"}},
        {{report(4, 0, 5)}, {}},     // died there
        {{report(4, 10, 500)}, {}},  // stale
        {{report(9, 5, 130), report(4, 10, 5, 59.9)}, {L"Boss: channel 4 at 10%, 59s left"}},
        {{report(3, 25, 400), report(9, 5, 3), report(7, 1, 0)}, {L"Boss: channel 7 at 1%", L"Boss: channel 9 at 5%"}},
        {{report(3, 12, 2)}, {L"Boss: channel 3 at 12%"}},  // its stale 25% counted as a recovery
    };
    for (size_t i = 0; i < std::size(polls); ++i) {
        EXPECT_EQ(rules.tick(boss, kNoon, polls[i].first), polls[i].second) << i;
    }
    EXPECT_EQ(rules.tick(boss, kNoon + 1), Texts{}) << "a tick without new data";
}

TEST(HealthAlerts, ABossChosenAgainStartsAfreshWithoutAlertingWhatHoldsAlready) {
    const Boss first{"f", "First", 0, 0, "boss"}, second{"s", "Second", 0, 0, "boss"};
    Rules rules{{1800, 50, 0, true}, {}};
    const std::vector<ChannelStatus> low = {report(1, 30, 5), report(2, 40, 5)};
    EXPECT_EQ(rules.tick(first, kNoon, low), Texts{});
    EXPECT_EQ(rules.tick(first, kNoon, {{report(1, 30, 5), report(5, 10, 5)}}), Texts{L"First: channel 5 at 10%"});
    EXPECT_EQ(rules.tick(second, kNoon + 1900, low), Texts{}) << "its low channels and its spawn in 28m 20s";
    EXPECT_EQ(rules.tick(first, kNoon + 1901, {{report(5, 10, 5)}}), Texts{}) << "back to First: 5 is low already";
    EXPECT_TRUE(alertsWantReports(rules.state, "s", false, rules.settings)) << "another boss needs its reports";
    EXPECT_FALSE(alertsWantReports(rules.state, "f", false, rules.settings));
    EXPECT_TRUE(alertsWantReports(rules.state, "f", true, rules.settings));
    EXPECT_FALSE(alertsWantReports(rules.state, "", true, rules.settings));
    EXPECT_FALSE(alertsWantReports(rules.state, "s", true, {300, 0, 60, true}));
}

TEST(ClockAlerts, OnceARunWhenThePcClockIsFurtherOffThanTheLimit) {
    const Boss none{}, boss{"b", "B", 0, 0, "boss"};
    const std::tuple<int32_t, std::vector<std::optional<int64_t>>, Texts> cases[] = {
        {60, {std::nullopt, 60, -60, 61, 5000, -5000}, {L"Your PC clock is 61 s ahead of network time"}},
        {60, {-3600}, {L"Your PC clock is 3600 s behind network time"}},
        {3600, {3600, -3600, 0}, {}},
        {0, {100000}, {}},
    };
    for (const auto& [warn, offsets, expected] : cases) {
        Rules rules{{0, 0, warn, true}, {}};
        Texts seen;
        for (size_t i = 0; i < offsets.size(); ++i) {  // choosing a boss in between changes nothing
            for (std::wstring& alert : rules.tick(i % 2 ? boss : none, kNoon, {}, offsets[i])) seen.push_back(alert);
        }
        EXPECT_EQ(seen, expected) << warn;
    }
}

TEST(AlertOutbox, OneBalloonEveryThreeSecondsWithWaitingLinesMergedAndLongTextsCutCleanly) {
    AlertOutbox outbox;
    outbox.add({L"a"});
    EXPECT_EQ(outbox.take(1000), L"a") << "the first goes at once";
    outbox.add({L"b"});
    EXPECT_FALSE(outbox.take(2000));
    outbox.add({L"c", L"d"});
    EXPECT_FALSE(outbox.take(3999));
    EXPECT_EQ(outbox.take(4000), L"b\nc\nd");
    EXPECT_FALSE(outbox.take(9000)) << "nothing waits";
    outbox.add({L"e"});
    EXPECT_EQ(outbox.take(9001), L"e");

    const std::wstring x(100, L'x'), y(127, L'y');
    EXPECT_EQ(mergeAlertLines({y, y}), y + L"\n" + y) << "255 units fit";
    EXPECT_EQ(mergeAlertLines({x, x, x}), x + L"\n" + x + L"\n\u2026");
    EXPECT_EQ(mergeAlertLines({std::wstring(300, L'w'), L"next"}), std::wstring(254, L'w') + L"\u2026");
    std::wstring dragons, kept = L"a";  // outside the BMP: two UTF-16 units each, never split
    for (int i = 0; i < 200; ++i) dragons += L"\U0001F409";
    for (int i = 0; i < 126; ++i) kept += L"\U0001F409";
    EXPECT_EQ(mergeAlertLines({L"a" + dragons}), kept + L"\u2026");
}

TEST(AlertBanner, TheLatestAlertOnOneLineForEightSecondsOrUntilTheNext) {
    AlertBanner banner;
    EXPECT_FALSE(banner.showingAt(0)) << "nothing before the first alert";
    banner.show(L"Gorath spawns in 1m 0s", 1000);
    for (const auto& [at, showing] : {std::pair<uint64_t, bool>{1000, true}, {8999, true}, {9000, false}}) {
        EXPECT_EQ(banner.showingAt(at), showing) << at;
    }
    EXPECT_EQ(banner.line(), L"Gorath spawns in 1m 0s");
    banner.show(L"a\nb", 5000);  // the next alert replaces the first, from its own moment
    EXPECT_EQ(banner.line(), L"a \u00B7 b");
    EXPECT_TRUE(banner.showingAt(12999));
    EXPECT_FALSE(banner.showingAt(13000));
}

}  // namespace
}  // namespace mb
