// The order of a boss's channel reports in the list: fresh before stale, known time to death
// soonest first, then the most recent report, then lower health and lower channel number.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
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

// Stable merge sort of items by channelComesBefore on the report each holds (reportOf). Safe
// and O(n log n) whatever the comparison answers, and exactly sorted wherever the relation is
// transitive: bottom-up, runs of 1, 2, 4, ... merged back and forth between the items and one
// scratch buffer (std::sort would be undefined for a relation that is not a strict weak order).
// An item of a right run goes first only when it strictly comes before the left head, so equal
// ones keep their order, and each step moves one item, so any answers terminate.
template <typename Item, typename ReportOf>
void sortByChannelOrder(std::vector<Item>& items, ReportOf reportOf, int64_t now) {
    const size_t count = items.size();
    if (count < 2) return;
    std::vector<Item> scratch(count);
    std::vector<Item>* from = &items;
    std::vector<Item>* to = &scratch;
    for (size_t width = 1; width < count; width *= 2) {
        for (size_t lo = 0; lo < count;) {
            const size_t mid = lo + std::min(width, count - lo);
            const size_t hi = mid + std::min(width, count - mid);
            size_t left = lo, right = mid, out = lo;
            while (left < mid && right < hi) {
                const bool rightFirst = channelComesBefore(reportOf((*from)[right]), reportOf((*from)[left]), now);
                (*to)[out++] = std::move((*from)[rightFirst ? right++ : left++]);
            }
            while (left < mid) (*to)[out++] = std::move((*from)[left++]);
            while (right < hi) (*to)[out++] = std::move((*from)[right++]);
            lo = hi;
        }
        std::swap(from, to);
    }
    if (from != &items) items.swap(scratch);
}

void sortChannels(std::vector<ChannelStatus>& reports, int64_t now);

}  // namespace mb
