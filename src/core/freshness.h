// Whether a channel report is recent enough to trust: the allowed age shrinks as health falls.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/tracker_records.h"

namespace mb {

// Seconds a report stays fresh: 300 at health 100, 180 at 80 to 99, 120 below 80.
int64_t freshnessWindow(int32_t lastHp);

// True when the report shows a live boss, has a time stamp and is within its window of now.
bool isReportFresh(const ChannelStatus& status, int64_t now);

// A report with health other than 0 that is not fresh.
bool isReportStale(const ChannelStatus& status, int64_t now);

// Fresh reports among the boss's channels; 0 when the boss has no entry.
int freshReportCount(const BossStatusMap& bossStatus, std::string_view bossId, int64_t now);

}  // namespace mb
