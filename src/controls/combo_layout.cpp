#include "controls/combo_layout.h"

#include <algorithm>

namespace mb {

std::array<PixelPoint, 3> comboArrowPoints(int width, int height) {
    const int m = height / 2;
    return {PixelPoint{width - 20, m - 2}, PixelPoint{width - 12, m - 2}, PixelPoint{width - 16, m + 2}};
}

ControlRect comboTextRect(int width, int height) { return {8, 0, width - 30, height}; }

PixelPoint placePopup(const ControlRect& box, const ControlRect& monitor, int popupWidth, int popupHeight) {
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

ControlRect popupRowRect(int index, int itemHeight, int popupWidth) {
    return {0, index * itemHeight, popupWidth, (index + 1) * itemHeight};
}

ControlRect popupRowTextRect(int index, int itemHeight, int popupWidth) {
    ControlRect row = popupRowRect(index, itemHeight, popupWidth);
    row.left += 8;
    return row;
}

PopupRowFill popupRowFill(int index, int hoverIndex, int selectedIndex) {
    if (index == hoverIndex) return PopupRowFill::Hover;
    if (index == selectedIndex) return PopupRowFill::Selected;
    return PopupRowFill::Background;
}

}  // namespace mb
