#include "core/freshness.h"

#include <limits>

namespace mb {

int64_t freshnessWindow(int32_t lastHp) {
    if (lastHp == 100) return 300;
    if (lastHp < 80) return 120;
    return 180;
}

bool isReportFresh(const ChannelStatus& status, int64_t now) {
    if (status.last_hp == 0 || status.last_update_time == 0) return false;
    const int64_t window = freshnessWindow(status.last_hp);
    // now - window cannot go below the smallest value for any clock reading; guard it anyway.
    if (now < std::numeric_limits<int64_t>::min() + window) return true;
    return status.last_update_time >= now - window;
}

bool isReportStale(const ChannelStatus& status, int64_t now) {
    return status.last_hp != 0 && !isReportFresh(status, now);
}

int freshReportCount(const BossStatusMap& bossStatus, std::string_view bossId, int64_t now) {
    const auto entry = bossStatus.find(std::string(bossId));
    if (entry == bossStatus.end()) return 0;
    int count = 0;
    for (const ChannelStatus& status : entry->second.channels) {
        if (isReportFresh(status, now)) ++count;
    }
    return count;
}

}  // namespace mb
