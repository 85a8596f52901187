#include "controls/slider_math.h"

#include <algorithm>
#include <cstdint>

#include "core/dpi_scale.h"

namespace mb {

namespace {

// The slider's pixel numbers at one DPI.
struct SliderMetrics {
    int margin;       // 10 at 96 DPI, left and right of the travel
    int thumbWidth;   // 12
    int trackHeight;  // 4
    int thumbInset;   // 2, above and below the thumb

    explicit SliderMetrics(int dpi)
        : margin(scaleForDpi(10, dpi)),
          thumbWidth(scaleForDpi(12, dpi)),
          trackHeight(scaleForDpi(4, dpi)),
          thumbInset(scaleForDpi(2, dpi)) {}
    // The thumb's centre sits this far in from the left end of its travel: margin plus half the thumb.
    int centreInset() const { return margin + thumbWidth / 2; }
    // What the thumb cannot travel: both margins and the thumb itself.
    int ends() const { return 2 * margin + thumbWidth; }
};

}  // namespace

int clampSliderValue(int value, int minimum, int maximum) { return std::max(minimum, std::min(value, maximum)); }

int sliderThumbOffset(int value, int minimum, int maximum, int width, int dpi) {
    // 64-bit intermediates: the products cannot overflow, the quotient fits back into int.
    const int64_t range = static_cast<int64_t>(maximum) - minimum;
    if (range <= 0) return 0;
    return static_cast<int>((static_cast<int64_t>(value) - minimum) * (width - SliderMetrics(dpi).ends()) / range);
}

Rect sliderTrackRect(int width, int height, int dpi) {
    const SliderMetrics m(dpi);
    return {m.margin, (height - m.trackHeight) / 2, width - m.margin, (height + m.trackHeight) / 2};
}

Rect sliderThumbRect(int value, int minimum, int maximum, int width, int height, int dpi) {
    const SliderMetrics m(dpi);
    const int left = m.margin + sliderThumbOffset(value, minimum, maximum, width, dpi);
    return {left, m.thumbInset, left + m.thumbWidth, height - m.thumbInset};
}

std::optional<int> sliderValueAtX(int x, int width, int minimum, int maximum, int dpi) {
    const SliderMetrics m(dpi);
    const int usable = width - m.ends();
    if (usable <= 0) return std::nullopt;
    const int d = x - m.centreInset();
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
