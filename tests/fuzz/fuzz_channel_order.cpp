// The channel order on random reports (NaN, -1, 0, huge and equal etd; equal, zero and missing
// update times; equal health and channels; any now): the sort always returns a permutation,
// never places a report after one of a later freshness and etd group, and, when every pair of
// reports is comparable (all update times set, or none), is exactly the stable sort by the key.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "core/channel_order.h"
#include "core/freshness.h"

namespace {

constexpr int64_t kBaseNow = 1764590400;
constexpr size_t kBytesPerReport = 4;
constexpr size_t kMaxReports = 400;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// NaN, -1, 0, huge, infinite, or 0 to 31 in whole seconds, so that equal values are common.
double decodeEtd(uint8_t b) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const double special[] = {std::nan(""), -1.0, 0.0, 1e300, kInf, -kInf};
    return (b & 7) < 6 ? special[b & 7] : static_cast<double>(b >> 3);
}

// 0 (no time), -1 (a text the parser could not represent), or 0 to 759 s before now in steps
// of 3 s, across all three freshness windows.
int64_t decodeTime(uint8_t b, int64_t now) {
    if (b == 0 || b == 255) return b == 0 ? 0 : -1;
    return static_cast<int64_t>(static_cast<uint64_t>(now) - static_cast<uint64_t>(b - 1) * 3u);
}

// The report's place in the input travels in dps, which the order never looks at.
size_t tagOf(const mb::ChannelStatus& status) { return static_cast<size_t>(status.dps); }

bool known(const mb::ChannelStatus& s) { return s.etd > 0.0; }

// Freshness and known etd, the part of the order that is transitive for any input: -1, 0 or 1.
int compareGroups(const mb::ChannelStatus& x, const mb::ChannelStatus& y, int64_t now) {
    const bool xf = mb::isReportFresh(x, now), yf = mb::isReportFresh(y, now);
    if (xf != yf) return xf ? -1 : 1;
    if (known(x) != known(y)) return known(x) ? -1 : 1;
    if (known(x) && x.etd != y.etd) return x.etd < y.etd ? -1 : 1;
    return 0;
}

// The whole order written as a key, valid when all update times are set or all are 0.
bool keyLess(const mb::ChannelStatus& x, const mb::ChannelStatus& y, int64_t now) {
    const int groups = compareGroups(x, y, now);
    if (groups != 0) return groups < 0;
    if (x.last_update_time != y.last_update_time) return x.last_update_time > y.last_update_time;
    if (x.last_hp != y.last_hp) return x.last_hp < y.last_hp;
    return x.channel_number < y.channel_number;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    size_t pos = 1;
    int64_t now = kBaseNow;
    if ((flags & 1) && size >= pos + 8) {
        std::memcpy(&now, data + pos, 8);
        pos += 8;
    }
    std::vector<mb::ChannelStatus> input;
    for (; pos + kBytesPerReport <= size && input.size() < kMaxReports; pos += kBytesPerReport) {
        mb::ChannelStatus status;
        status.channel_number = static_cast<int8_t>(data[pos]) / 8;  // -16 to 15: equal channels
        status.last_hp = data[pos + 1] == 255 ? -1 : data[pos + 1] % 101;
        status.etd = decodeEtd(data[pos + 2]);
        uint8_t timeByte = data[pos + 3];
        if (flags & 2) timeByte = 0;                     // all times missing
        if ((flags & 4) && timeByte == 0) timeByte = 1;  // all times set
        status.last_update_time = decodeTime(timeByte, now);
        status.dps = static_cast<double>(input.size());
        input.push_back(status);
    }

    std::vector<mb::ChannelStatus> sorted = input;
    mb::sortChannels(sorted, now);

    std::vector<bool> seen(input.size(), false);
    require(sorted.size() == input.size(), "same number of reports");
    for (const mb::ChannelStatus& s : sorted) {
        const size_t tag = tagOf(s);
        require(tag < input.size() && !seen[tag], "each input report once");
        seen[tag] = true;
        const mb::ChannelStatus& original = input[tag];
        require(s.channel_number == original.channel_number && s.last_hp == original.last_hp &&
                    s.last_update_time == original.last_update_time &&
                    std::memcmp(&s.etd, &original.etd, sizeof s.etd) == 0,
                "reports arrive unchanged");
    }
    for (size_t i = 1; i < sorted.size(); ++i) {
        require(compareGroups(sorted[i - 1], sorted[i], now) <= 0, "fresh and known-etd groups in order");
    }

    size_t timed = 0;
    for (const mb::ChannelStatus& s : input) timed += s.last_update_time != 0 ? 1 : 0;
    if (timed != 0 && timed != input.size()) return 0;  // the order may go round in circles

    for (size_t i = 1; i < sorted.size(); ++i) {
        require(!keyLess(sorted[i], sorted[i - 1], now), "adjacent reports in key order");
        if (!keyLess(sorted[i - 1], sorted[i], now)) require(tagOf(sorted[i - 1]) < tagOf(sorted[i]), "stable");
    }
    return 0;
}
