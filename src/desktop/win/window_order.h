// The overlay's place in the z order: what stands above it, and putting it back on top.
#pragma once

#include <windows.h>

#include <vector>

#include "desktop/window_stack.h"

namespace mb {

// The visible top-level windows above window in the z order, nearest first.
std::vector<WindowAbove> visibleWindowsAbove(HWND window);

// To the top of the top-most band, without moving, sizing or activating it.
void raiseToTopmost(HWND window);

}  // namespace mb
