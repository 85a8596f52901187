// Geometry of the horizontal slider: a 12-pixel thumb travelling from x = 10 to x = width - 10
// over a 4-pixel track, and the pointer-to-value mapping that keeps the thumb's centre under
// the pointer. All divisions truncate toward zero.
#pragma once

#include <optional>

#include "controls/control_rect.h"

namespace mb {

// max(minimum, min(value, maximum)): with minimum above maximum the result is the minimum.
int clampSliderValue(int value, int minimum, int maximum);

// Thumb offset from its leftmost place: (value - minimum) * (width - 32) / (maximum - minimum),
// 0 when the range is empty or reversed.
int sliderThumbOffset(int value, int minimum, int maximum, int width);

// Track (10, (h - 4) / 2, w - 10, (h + 4) / 2).
ControlRect sliderTrackRect(int width, int height);

// Thumb (10 + offset, 2, 22 + offset, (2h - 4) / 2).
ControlRect sliderThumbRect(int value, int minimum, int maximum, int width, int height);

// The value a press or drag at client x selects, or nothing when the slider is 32 pixels
// wide or narrower (no usable travel). x <= 16 gives the minimum, x >= width - 16 the maximum,
// in between the nearest value; never below the minimum.
std::optional<int> sliderValueAtX(int x, int width, int minimum, int maximum);

}  // namespace mb
