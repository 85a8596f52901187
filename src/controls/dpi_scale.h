// Pixel numbers of the controls are written for 96 DPI, the DPI at which one point is 4/3 of a
// pixel; at any other DPI each of them is scaled by dpi / 96.
#pragma once

#include <cstdint>

namespace mb {

inline constexpr int kBaseDpi = 96;

// value * dpi / 96 rounded to the nearest pixel, halves away from zero: what
// MulDiv(value, dpi, 96) gives, so both builds draw the same sizes. The value itself at 96.
constexpr int scaleToDpi(int value, int dpi) {
    const int64_t product = static_cast<int64_t>(value) * dpi;
    const int64_t half = product < 0 ? -kBaseDpi / 2 : kBaseDpi / 2;
    return static_cast<int>((product + half) / kBaseDpi);
}

}  // namespace mb
