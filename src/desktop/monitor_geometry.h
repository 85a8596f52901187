// Rectangle arithmetic for keeping the overlay on its monitor and centring boxes over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "core/rect.h"

namespace mb {

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// Fits rect inside monitor: keeps its size when it fits, shrinks a side larger than the
// monitor to the monitor's, and moves it back over any edge it sticks out of.
Rect clampRectToArea(const Rect& rect, const Rect& monitor);

// The monitor a rectangle belongs to, as Windows picks it for MONITOR_DEFAULTTONEAREST: the one
// it overlaps most (the first of equals), else the one nearest to it. Nothing without monitors.
std::optional<size_t> nearestMonitor(const Rect& rect, std::span<const Rect> monitors);

// Where the window goes for a rectangle the player chose while the window was at rectDpi: its
// size scaled to windowDpi with the top-left corner kept, then fitted onto the nearest of the
// monitors as they are now. Without monitors, the scaled rectangle.
Rect placeChosenRect(const Rect& chosen, int32_t rectDpi, int32_t windowDpi, std::span<const Rect> monitors);

// inner lies wholly inside outer (edges may touch).
constexpr bool covers(const Rect& outer, const Rect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Top-left corner that centres a box over an owner rectangle (truncating toward zero); the
// result may lie partly off the screen.
ScreenPoint centeredOver(const Rect& box, const Rect& owner);

}  // namespace mb
