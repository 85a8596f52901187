// The channel order and a merge sort that stays sound when the order is not transitive.
#include "core/channel_order.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/freshness.h"

namespace mb {
namespace {

bool hasKnownEtd(const ChannelStatus& status) { return status.etd > 0.0; }  // false for NaN

// Merges the adjacent runs [lo, mid) and [mid, hi) of from into the same places of to. An
// element of the right run goes first only when it strictly comes before the left head, so
// equal reports keep their order. Each step moves one element, so any answers terminate.
void mergeRuns(std::vector<ChannelStatus>& from, std::vector<ChannelStatus>& to, size_t lo, size_t mid, size_t hi,
               int64_t now) {
    size_t left = lo;
    size_t right = mid;
    size_t out = lo;
    while (left < mid && right < hi) {
        if (channelComesBefore(from[right], from[left], now)) {
            to[out++] = std::move(from[right++]);
        } else {
            to[out++] = std::move(from[left++]);
        }
    }
    while (left < mid) to[out++] = std::move(from[left++]);
    while (right < hi) to[out++] = std::move(from[right++]);
}

}  // namespace

bool channelComesBefore(const ChannelStatus& x, const ChannelStatus& y, int64_t now) {
    const bool xFresh = isReportFresh(x, now);
    const bool yFresh = isReportFresh(y, now);
    if (xFresh != yFresh) return xFresh;

    const bool xKnown = hasKnownEtd(x);
    const bool yKnown = hasKnownEtd(y);
    if (xKnown != yKnown) return xKnown;
    if (xKnown && x.etd != y.etd) return x.etd < y.etd;

    if (x.last_update_time != 0 && y.last_update_time != 0 && x.last_update_time != y.last_update_time) {
        return x.last_update_time > y.last_update_time;
    }

    if (x.last_hp != y.last_hp) return x.last_hp < y.last_hp;
    return x.channel_number < y.channel_number;
}

// Bottom-up: runs of 1, 2, 4, ... are merged back and forth between the reports and one
// scratch buffer. std::sort would be undefined for a relation that is not a strict weak order.
void sortChannels(std::vector<ChannelStatus>& reports, int64_t now) {
    const size_t count = reports.size();
    if (count < 2) return;
    std::vector<ChannelStatus> scratch(count);
    std::vector<ChannelStatus>* from = &reports;
    std::vector<ChannelStatus>* to = &scratch;
    for (size_t width = 1; width < count; width *= 2) {
        for (size_t lo = 0; lo < count;) {
            const size_t mid = lo + std::min(width, count - lo);
            const size_t hi = mid + std::min(width, count - mid);
            mergeRuns(*from, *to, lo, mid, hi, now);
            lo = hi;
        }
        std::swap(from, to);
    }
    if (from != &reports) reports.swap(scratch);
}

}  // namespace mb
