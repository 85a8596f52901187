#include "controls/combo_layout.h"

#include <algorithm>

#include "core/dpi_scale.h"

namespace mb {

namespace {
// The text of the closed box and of the popup rows starts this far in from the left.
constexpr int kTextIndent = 8;
}  // namespace

int comboItemHeight(int dpi) { return scaleForDpi(28, dpi); }

std::array<PixelPoint, 3> comboArrowPoints(int width, int height, int dpi) {
    const int m = height / 2;
    const int halfHeight = scaleForDpi(2, dpi);
    return {PixelPoint{width - scaleForDpi(20, dpi), m - halfHeight},
            PixelPoint{width - scaleForDpi(12, dpi), m - halfHeight},
            PixelPoint{width - scaleForDpi(16, dpi), m + halfHeight}};
}

Rect comboTextRect(int width, int height, int dpi) {
    return {scaleForDpi(kTextIndent, dpi), 0, width - scaleForDpi(30, dpi), height};
}

PixelPoint placePopup(const Rect& box, const Rect& monitor, int popupWidth, int popupHeight) {
    int x = box.left;
    if (box.left + popupWidth > monitor.right) x = monitor.right - popupWidth;
    int y = box.bottom;
    if (box.bottom + popupHeight > monitor.bottom) y = monitor.bottom - popupHeight;
    return {std::max(x, monitor.left), std::max(y, monitor.top)};
}

int popupHeightFor(int count, int itemHeight) { return count * itemHeight; }

int popupRowAt(int x, int y, int popupWidth, int popupHeight, int itemHeight) {
    if (itemHeight <= 0 || x < 0 || x >= popupWidth || y < 0 || y >= popupHeight) return -1;
    return y / itemHeight;
}

Rect popupRowRect(int index, int itemHeight, int popupWidth) {
    return {0, index * itemHeight, popupWidth, (index + 1) * itemHeight};
}

Rect popupRowTextRect(int index, int itemHeight, int popupWidth, int dpi) {
    Rect row = popupRowRect(index, itemHeight, popupWidth);
    row.left += scaleForDpi(kTextIndent, dpi);
    return row;
}

PopupRowFill popupRowFill(int index, int hoverIndex, int selectedIndex) {
    if (index == hoverIndex) return PopupRowFill::Hover;
    if (index == selectedIndex) return PopupRowFill::Selected;
    return PopupRowFill::Background;
}

}  // namespace mb
