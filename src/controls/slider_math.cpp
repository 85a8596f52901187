#include "controls/slider_math.h"

#include <algorithm>
#include <cstdint>

namespace mb {

namespace {
// The thumb's centre sits 16 pixels in from each end: 10 of margin plus half the 12-pixel thumb.
constexpr int kThumbCentreInset = 16;
constexpr int kEndsWidth = 2 * kThumbCentreInset;
}  // namespace

int clampSliderValue(int value, int minimum, int maximum) { return std::max(minimum, std::min(value, maximum)); }

int sliderThumbOffset(int value, int minimum, int maximum, int width) {
    // 64-bit intermediates: the products cannot overflow, the quotient fits back into int.
    const int64_t range = static_cast<int64_t>(maximum) - minimum;
    if (range <= 0) return 0;
    return static_cast<int>((static_cast<int64_t>(value) - minimum) * (width - kEndsWidth) / range);
}

ControlRect sliderTrackRect(int width, int height) { return {10, (height - 4) / 2, width - 10, (height + 4) / 2}; }

ControlRect sliderThumbRect(int value, int minimum, int maximum, int width, int height) {
    const int offset = sliderThumbOffset(value, minimum, maximum, width);
    return {10 + offset, 2, 22 + offset, (2 * height - 4) / 2};
}

std::optional<int> sliderValueAtX(int x, int width, int minimum, int maximum) {
    const int usable = width - kEndsWidth;
    if (usable <= 0) return std::nullopt;
    const int d = x - kThumbCentreInset;
    int64_t candidate;
    if (d <= 0) {
        candidate = minimum;
    } else if (d < usable) {
        const int64_t range = static_cast<int64_t>(maximum) - minimum;
        candidate = minimum + (static_cast<int64_t>(d) * range + (usable >> 1)) / usable;
        candidate = std::min<int64_t>(candidate, maximum);
    } else {
        candidate = maximum;
    }
    return static_cast<int>(std::max<int64_t>(minimum, candidate));
}

}  // namespace mb
