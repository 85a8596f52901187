// Whether the overlay has to go back on top of the top-most band: a borderless full-screen game
// that makes itself top-most would otherwise cover it for as long as it runs.
#pragma once

#include <span>

#include "desktop/monitor_geometry.h"

namespace mb {

// A visible window that stands above the overlay in the z order.
struct WindowAbove {
    Rect rect;
    bool topmost = false;
    bool ownProcess = false;  // the overlay's own popup or a box of its own
};

// True when some top-most window of another process covers the overlay's whole rectangle, and
// no window of the overlay's own stands above it (those stay where they are). A window that
// covers only part of it (another small tool) is left alone.
bool coveredByForeignTopmost(const Rect& overlay, std::span<const WindowAbove> above);

}  // namespace mb
