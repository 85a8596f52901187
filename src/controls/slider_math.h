// Geometry of the horizontal slider: at 96 DPI a 12-pixel thumb travelling from x = 10 to
// x = width - 10 over a 4-pixel track, 2 pixels clear of the top and bottom, and the
// pointer-to-value mapping that keeps the thumb's centre under the pointer. Every one of
// these pixel numbers scales with the dpi argument (scaleForDpi), whose default is 96; the
// slider always passes its own. All divisions truncate toward zero.
#pragma once

#include <optional>

#include "core/rect.h"
#include "core/dpi_scale.h"

namespace mb {

// max(minimum, min(value, maximum)): with minimum above maximum the result is the minimum.
int clampSliderValue(int value, int minimum, int maximum);

// Thumb offset from its leftmost place: (value - minimum) * (width - ends) / (maximum -
// minimum), ends being both margins and the thumb (32 at 96 DPI); 0 when the range is empty
// or reversed.
int sliderThumbOffset(int value, int minimum, int maximum, int width, int dpi = kDesignDpi);

// Track (10, (h - 4) / 2, w - 10, (h + 4) / 2) at 96 DPI.
Rect sliderTrackRect(int width, int height, int dpi = kDesignDpi);

// Thumb (10 + offset, 2, 22 + offset, h - 2) at 96 DPI.
Rect sliderThumbRect(int value, int minimum, int maximum, int width, int height, int dpi = kDesignDpi);

// The value a press or drag at client x selects, or nothing when the slider has no usable
// travel (32 pixels wide or narrower at 96 DPI). Up to the thumb's centre at its left end
// (x <= 16 at 96 DPI) gives the minimum, from its centre at the right end on the maximum, in
// between the nearest value; never below the minimum.
std::optional<int> sliderValueAtX(int x, int width, int minimum, int maximum, int dpi = kDesignDpi);

}  // namespace mb
