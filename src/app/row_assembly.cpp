// Channel rows, selector counts and the boss chosen at start-up, from the tracker state.
#include "app/row_assembly.h"

#include <limits>

#include "core/channel_order.h"
#include "core/freshness.h"
#include "core/spawn_countdown.h"

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

SelectorCounts allBossesCounts(const std::vector<Boss>& bosses, const BossStatusMap& bossStatus, int64_t now) {
    SelectorCounts counts;
    counts.total = countOf(bosses.size());
    for (const Boss& boss : bosses) counts.fresh += freshReportCount(bossStatus, boss.id, now) > 0 ? 1 : 0;
    counts.color = kAllBossesItemColor;
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
    for (const ChannelStatus& status : live) rows.push_back(channelRowOf(status, now));
    return rows;
}

ChannelRow channelRowOf(const ChannelStatus& report, int64_t now) {
    ChannelRow row;
    row.channel = report.channel_number;
    row.hpPercent = report.last_hp;
    row.lossRate = report.dps;
    row.secondsLeft = report.etd;
    if (!isReportFresh(report, now)) {
        row.barColor = kStaleBarColor;
        row.textColor = kStaleTextColor;
    }
    return row;
}

std::vector<BossRow> bossRows(const std::vector<Boss>& bosses, const BossStatusMap& bossStatus, int64_t now) {
    std::vector<BossRow> rows;
    for (size_t i = 0; i < bosses.size(); ++i) {
        const auto entry = bossStatus.find(bosses[i].id);
        if (entry == bossStatus.end()) continue;
        // The first of its own rows; fresh reports stand before stale ones, so it is fresh
        // exactly when the boss has a fresh live report.
        const ChannelStatus* first = nullptr;
        for (const ChannelStatus& report : entry->second.channels) {
            if (report.last_hp == 0 || !isReportFresh(report, now)) continue;
            if (!first || channelComesBefore(report, *first, now)) first = &report;
        }
        if (first) rows.push_back({i, *first});
    }
    sortByChannelOrder(
        rows, [](const BossRow& row) -> const ChannelStatus& { return row.report; }, now);
    return rows;
}

std::optional<SoonestSpawn> soonestSpawn(const std::vector<const Boss*>& bosses, int64_t now) {
    std::optional<SoonestSpawn> soonest;
    for (size_t i = 0; i < bosses.size(); ++i) {
        const std::optional<int32_t> seconds = secondsUntilSpawn(*bosses[i], now);
        if (seconds && (!soonest || *seconds < soonest->seconds)) soonest = SoonestSpawn{i, *seconds};
    }
    return soonest;
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
