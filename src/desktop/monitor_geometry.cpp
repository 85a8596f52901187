#include "desktop/monitor_geometry.h"

#include <algorithm>

namespace mb {

ScreenRect clampRectToArea(const ScreenRect& rect, const ScreenRect& monitor) {
    // 64-bit intermediates: a corrupt settings file may hold rectangles near the int limits.
    const int64_t width = std::min<int64_t>(int64_t{rect.right} - rect.left, int64_t{monitor.right} - monitor.left);
    const int64_t height = std::min<int64_t>(int64_t{rect.bottom} - rect.top, int64_t{monitor.bottom} - monitor.top);
    int64_t x = std::max(rect.left, monitor.left);
    int64_t y = std::max(rect.top, monitor.top);
    if (x + width > monitor.right) x = monitor.right - width;
    if (y + height > monitor.bottom) y = monitor.bottom - height;
    return {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(x + width),
            static_cast<int32_t>(y + height)};
}

ScreenPoint centeredOver(const ScreenRect& box, const ScreenRect& owner) {
    const int64_t ownerWidth = int64_t{owner.right} - owner.left;
    const int64_t ownerHeight = int64_t{owner.bottom} - owner.top;
    const int64_t boxWidth = int64_t{box.right} - box.left;
    const int64_t boxHeight = int64_t{box.bottom} - box.top;
    return {static_cast<int32_t>(owner.left + (ownerWidth - boxWidth) / 2),
            static_cast<int32_t>(owner.top + (ownerHeight - boxHeight) / 2)};
}

}  // namespace mb
