// The channel order; the merge sort by it is in the header, a template over what is sorted.
#include "core/channel_order.h"

#include "core/freshness.h"

namespace mb {
namespace {

bool hasKnownEtd(const ChannelStatus& status) { return status.etd > 0.0; }  // false for NaN

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

void sortChannels(std::vector<ChannelStatus>& reports, int64_t now) {
    sortByChannelOrder(
        reports, [](const ChannelStatus& report) -> const ChannelStatus& { return report; }, now);
}

}  // namespace mb
