// Pixel numbers designed at 96 DPI, scaled to the DPI the fonts are made for, rounded as Win32's
// MulDiv rounds (half away from zero), so that both builds compute the same sizes.
#pragma once

#include <cstdint>

namespace mb {

inline constexpr int32_t kDesignDpi = 96;

// pixels × dpi / 96, rounded half away from zero; a DPI of 0 or less counts as 96.
constexpr int32_t scaleForDpi(int32_t pixels, int32_t dpi) {
    if (dpi <= 0 || dpi == kDesignDpi) return pixels;
    const int64_t product = int64_t{pixels} * dpi;
    const int64_t magnitude = ((product < 0 ? -product : product) + kDesignDpi / 2) / kDesignDpi;
    return static_cast<int32_t>(product < 0 ? -magnitude : magnitude);
}

}  // namespace mb
