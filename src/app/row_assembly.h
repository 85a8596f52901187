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

// Reports with last_hp 0 dropped, the rest ordered by channelComesBefore (fresh first, the
// soonest to die first; not by channel number), stale ones greyed.
std::vector<ChannelRow> buildChannelRows(const std::vector<ChannelStatus>& channels, int64_t now);

// Index of the first boss whose id equals id byte for byte; nothing for an empty or absent id.
std::optional<size_t> findBossIndex(const std::vector<Boss>& bosses, const std::string& id);

// Index of the first boss with at least one fresh report.
std::optional<size_t> firstBossWithFreshReport(const std::vector<Boss>& bosses, const BossStatusMap& bossStatus,
                                               int64_t now);

}  // namespace mb
