// Keeps the overlay wholly on one monitor.
#pragma once

#include <windows.h>

#include <vector>

#include "desktop/monitor_geometry.h"

namespace mb {

// Every monitor's whole screen area (not the work area), as the program's DPI awareness sees it.
std::vector<Rect> currentMonitors();

// A rectangle the player chose at rectDpi, its size scaled to windowDpi and fitted onto the
// nearest monitor as the monitors are now (placeChosenRect).
RECT placeOnMonitors(const RECT& chosen, int rectDpi, int windowDpi);

// The rectangle fitted onto the monitor nearest to it; unchanged without monitors.
RECT clampRectToMonitor(const RECT& rect);

// Moves and sizes the window to rect when it stands elsewhere; activates it only when allowed.
void moveWindowTo(HWND window, const RECT& rect, bool mayActivate);

// Moves the window back onto its monitor when it sticks out; activates it only when allowed
// (never in click-through mode).
void snapToMonitor(HWND window, bool mayActivate);

}  // namespace mb
