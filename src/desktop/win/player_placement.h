// Where the player put the overlay: the rectangle from the settings file at start, then the one
// each of the player's own moves and sizes ends at, with the DPI the window had then. What
// Windows or a game does to the window meanwhile (a lower resolution for a while, a monitor
// unplugged) never changes it, so a display change puts the window back there and teardown
// saves it.
#pragma once

#include <windows.h>

namespace mb {

class PlayerPlacement {
public:
    // The rectangle from the file, taken while the window was at rectDpi.
    void choose(const RECT& rect, int rectDpi);
    // The chosen rectangle for a window at windowDpi, fitted onto the monitors as they are now.
    RECT placement(int windowDpi) const;

    // WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: the window is snapped back onto its monitor at the
    // end of the loop, and where it then stands becomes the chosen rectangle, unless the loop
    // moved and sized nothing (a click on the caption).
    void onEnterSizeMove(HWND window);
    void onExitSizeMove(HWND window, int windowDpi, bool clickThrough);
    bool inSizeMove() const { return inSizeMove_; }

    // WM_DISPLAYCHANGE: the window back at the chosen rectangle on the monitors as they are
    // now, without activating it.
    void restore(HWND window, int windowDpi) const;

    // What teardown writes: the chosen rectangle fitted onto the monitors, and its DPI.
    RECT saved() const;
    int dpi() const { return dpi_; }

private:
    RECT chosen_{};
    int dpi_ = 96;
    RECT atLoopStart_{};
    bool inSizeMove_ = false;
};

}  // namespace mb
