// The order of a boss's channel reports in the list: fresh before stale, known time to death
// soonest first, then the most recent report, then lower health and lower channel number.
#pragma once

#include <cstdint>
#include <vector>

#include "core/tracker_records.h"

namespace mb {

// True when x is listed before y. The first rule that tells them apart decides:
// 1. a fresh report (isReportFresh at now) before a stale one;
// 2. an etd > 0 before one that is not (-1, 0, NaN), and of two different etd > 0 the smaller;
// 3. when both last_update_time are not 0 and differ, the larger;
// 4. the lower last_hp, then the lower channel_number.
// Rule 3 skips reports without a time, so among stale reports that mix timed and untimed ones
// the relation can go round in a circle: it is not a strict weak order.
bool channelComesBefore(const ChannelStatus& x, const ChannelStatus& y, int64_t now);

// Stable merge sort by channelComesBefore. Safe and O(n log n) whatever the comparison
// answers, and exactly sorted wherever the relation is transitive.
void sortChannels(std::vector<ChannelStatus>& reports, int64_t now);

}  // namespace mb
