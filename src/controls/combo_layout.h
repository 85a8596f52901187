// Geometry of the boss selector: the closed box's arrow and text area, where the popup goes
// on the monitor, and the popup's rows. The popup shows every item (no scrolling): its height
// is count x itemHeight, and a row's index is y / itemHeight. The pixel numbers below are
// those at 96 DPI; each scales with the dpi argument (scaleForDpi), whose default is 96.
// The box always passes its own.
#pragma once

#include <array>

#include "core/rect.h"
#include "core/dpi_scale.h"

namespace mb {

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Height of one popup row: 28 at 96 DPI.
int comboItemHeight(int dpi);

// The down-pointing arrow of the closed box, 8 wide and 4 high, with m = height / 2:
// (width - 20, m - 2), (width - 12, m - 2), (width - 16, m + 2).
std::array<PixelPoint, 3> comboArrowPoints(int width, int height, int dpi = kDesignDpi);

// Where the selected name is drawn in the closed box: (8, 0, width - 30, height).
Rect comboTextRect(int width, int height, int dpi = kDesignDpi);

// Top-left corner of the popup in screen coordinates. It opens under the box; when it would
// pass the monitor's right edge it moves left to end there, when it would pass the bottom it
// moves up to end there (covering the box, never flipping above it). Last, it is kept from
// starting left of or above the monitor, so a list taller than the monitor starts at its top.
PixelPoint placePopup(const Rect& boxOnScreen, const Rect& monitor, int popupWidth, int popupHeight);

// Outer height of a popup with `count` rows.
int popupHeightFor(int count, int itemHeight);

// Row under client point (x, y), or -1 outside 0 <= x < popupWidth, 0 <= y < popupHeight.
int popupRowAt(int x, int y, int popupWidth, int popupHeight, int itemHeight);

// Row i: (0, i * itemHeight, popupWidth, (i + 1) * itemHeight).
Rect popupRowRect(int index, int itemHeight, int popupWidth);

// The row's text area: the row moved 8 pixels in from the left.
Rect popupRowTextRect(int index, int itemHeight, int popupWidth, int dpi = kDesignDpi);

// How a popup row is filled: the highlight wins over the selection; other rows keep the
// popup's background.
enum class PopupRowFill { Background, Hover, Selected };
PopupRowFill popupRowFill(int index, int hoverIndex, int selectedIndex);

}  // namespace mb
