// Channel rows, selector counts and the boss chosen at start-up, from the tracker state.
#include "app/row_assembly.h"

#include <limits>

#include "core/channel_order.h"
#include "core/freshness.h"

namespace mb {
namespace {

int32_t countOf(size_t size) {
    return size > size_t{std::numeric_limits<int32_t>::max()} ? std::numeric_limits<int32_t>::max()
                                                              : static_cast<int32_t>(size);
}

}  // namespace

SelectorCounts selectorCounts(const BossStatusMap& bossStatus, const std::string& bossId, int64_t now) {
    SelectorCounts counts;
    const auto entry = bossStatus.find(bossId);
    if (entry == bossStatus.end()) return counts;
    counts.total = countOf(entry->second.channels.size());
    counts.fresh = freshReportCount(bossStatus, bossId, now);
    if (counts.fresh > 0) counts.color = kFreshItemColor;
    return counts;
}

std::vector<ChannelRow> buildChannelRows(const std::vector<ChannelStatus>& channels, int64_t now) {
    std::vector<ChannelStatus> live;
    live.reserve(channels.size());
    for (const ChannelStatus& status : channels) {
        if (status.last_hp != 0) live.push_back(status);  // a dead or unreported boss gives no row
    }
    sortChannels(live, now);
    std::vector<ChannelRow> rows;
    rows.reserve(live.size());
    for (const ChannelStatus& status : live) {
        ChannelRow row;
        row.channel = status.channel_number;
        row.hpPercent = status.last_hp;
        row.lossRate = status.dps;
        row.secondsLeft = status.etd;
        if (!isReportFresh(status, now)) {
            row.barColor = kStaleBarColor;
            row.textColor = kStaleTextColor;
        }
        rows.push_back(row);
    }
    return rows;
}

std::optional<size_t> findBossIndex(const std::vector<Boss>& bosses, const std::string& id) {
    if (id.empty()) return std::nullopt;
    for (size_t i = 0; i < bosses.size(); ++i) {
        if (bosses[i].id == id) return i;
    }
    return std::nullopt;
}

std::optional<size_t> firstBossWithFreshReport(const std::vector<Boss>& bosses, const BossStatusMap& bossStatus,
                                               int64_t now) {
    for (size_t i = 0; i < bosses.size(); ++i) {
        if (freshReportCount(bossStatus, bosses[i].id, now) > 0) return i;
    }
    return std::nullopt;
}

}  // namespace mb
