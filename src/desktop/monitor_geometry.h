// Rectangle arithmetic for keeping the overlay on its monitor and centring boxes over it.
#pragma once

#include <cstdint>

namespace mb {

struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// Fits rect inside monitor: keeps its size when it fits, shrinks a side larger than the
// monitor to the monitor's, and moves it back over any edge it sticks out of.
ScreenRect clampRectToArea(const ScreenRect& rect, const ScreenRect& monitor);

// Top-left corner that centres a box over an owner rectangle (truncating toward zero); the
// result may lie partly off the screen.
ScreenPoint centeredOver(const ScreenRect& box, const ScreenRect& owner);

}  // namespace mb
