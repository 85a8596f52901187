// What the window shows of the tracker state: the boss selector's counts and colour, the
// ordered and coloured channel rows of one boss, and which boss to select at start-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "controls/channel_row.h"
#include "core/tracker_records.h"

namespace mb {

inline constexpr uint32_t kFreshItemColor = 0x00B400;  // RGB(0,180,0)
inline constexpr uint32_t kStaleItemColor = 0x0000FF;  // RGB(255,0,0)
inline constexpr uint32_t kStaleBarColor = 0x808080, kStaleTextColor = 0xC8C8C8;

// Fresh and total reports of a boss; green with at least one fresh report, else red (also
// without an entry).
struct SelectorCounts {
    int32_t fresh = 0;
    int32_t total = 0;
    uint32_t color = kStaleItemColor;
};
SelectorCounts selectorCounts(const BossStatusMap& bossStatus, const std::string& bossId, int64_t now);

// The selector's first item when there are two bosses or more: every boss at once, in white,
// counting the bosses with a fresh report over all bosses.
inline constexpr char kAllBossesText[] = "All bosses";
inline constexpr uint32_t kAllBossesItemColor = 0xFFFFFF;
SelectorCounts allBossesCounts(const std::vector<Boss>& bosses, const BossStatusMap& bossStatus, int64_t now);

// Reports with last_hp 0 dropped, the rest ordered by channelComesBefore (fresh first, the
// soonest to die first; not by channel number), stale ones greyed.
std::vector<ChannelRow> buildChannelRows(const std::vector<ChannelStatus>& channels, int64_t now);
// One report as a row: greyed when stale.
ChannelRow channelRowOf(const ChannelStatus& report, int64_t now);

// A row of the all-bosses view: a boss (its index in the list) and the report that stands first
// in that boss's own rows.
struct BossRow {
    size_t boss = 0;
    ChannelStatus report;
};
// One row for every boss with at least one fresh report, the rows ordered across bosses by the
// same comparison as a boss's own rows, so the boss dying soonest comes first. Bosses without a
// fresh report get none.
std::vector<BossRow> bossRows(const std::vector<Boss>& bosses, const BossStatusMap& bossStatus, int64_t now);

// The boss (its index) whose next spawn comes soonest, and the seconds until it; nothing when no
// boss has a countdown.
struct SoonestSpawn {
    size_t boss = 0;
    int32_t seconds = 0;
};
std::optional<SoonestSpawn> soonestSpawn(const std::vector<const Boss*>& bosses, int64_t now);

// Index of the first boss whose id equals id byte for byte; nothing for an empty or absent id.
std::optional<size_t> findBossIndex(const std::vector<Boss>& bosses, const std::string& id);

// Index of the first boss with at least one fresh report.
std::optional<size_t> firstBossWithFreshReport(const std::vector<Boss>& bosses, const BossStatusMap& bossStatus,
                                               int64_t now);

}  // namespace mb
