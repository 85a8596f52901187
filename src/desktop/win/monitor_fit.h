// Keeps the overlay wholly on one monitor.
#pragma once

#include <windows.h>

namespace mb {

// The rectangle fitted onto the monitor nearest to it (the whole screen area, not the work
// area); unchanged when the monitor cannot be asked.
RECT clampRectToMonitor(const RECT& rect);

// Moves the window back onto its monitor when it sticks out; never activates it in
// click-through mode.
void snapToMonitor(HWND window, bool clickThrough);

}  // namespace mb
