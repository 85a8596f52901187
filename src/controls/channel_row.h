// One row of the channel list: what the list draws for one game channel.
// The list keeps its own copy; the caller builds rows under the tracker lock.
#pragma once

#include <cstdint>
#include <string>

namespace mb {

// A Windows COLORREF value (red in the low byte), kept platform-free.
using RowColor = uint32_t;

constexpr RowColor rowRgb(uint32_t red, uint32_t green, uint32_t blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

struct ChannelRow {
    int32_t channel = 0;       // number shown after "Ch."
    int32_t hpPercent = 0;     // 0 to 100; sets the bar fill
    double lossRate = 0.0;     // per cent per second; shown only above 0.01
    double secondsLeft = 0.0;  // countdown; shown only above 0
    RowColor barColor = 0;     // 0: the colour follows the health thresholds
    RowColor textColor = 0;    // 0: white
    std::wstring name{};       // the boss's, above the label, in a list of many bosses' rows
    bool operator==(const ChannelRow&) const = default;
};

}  // namespace mb
