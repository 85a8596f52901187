#include "desktop/monitor_geometry.h"

#include <algorithm>
#include <limits>

#include "core/dpi_scale.h"

namespace mb {

Rect clampRectToArea(const Rect& rect, const Rect& monitor) {
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

namespace {

// Overlap of two rectangles along one axis, 0 when they do not overlap.
int64_t overlap(int32_t low1, int32_t high1, int32_t low2, int32_t high2) {
    return std::max<int64_t>(0, int64_t{std::min(high1, high2)} - std::max(low1, low2));
}

// How far apart two rectangles lie along one axis, 0 when they overlap or touch.
int64_t gap(int32_t low1, int32_t high1, int32_t low2, int32_t high2) {
    if (high1 < low2) return int64_t{low2} - high1;
    if (high2 < low1) return int64_t{low1} - high2;
    return 0;
}

}  // namespace

std::optional<size_t> nearestMonitor(const Rect& rect, std::span<const Rect> monitors) {
    std::optional<size_t> best;
    int64_t bestArea = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const Rect& m = monitors[i];
        const int64_t area = overlap(rect.left, rect.right, m.left, m.right) *
                             overlap(rect.top, rect.bottom, m.top, m.bottom);
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    if (best) return best;
    // No overlap: the smallest distance between the two rectangles, compared squared.
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < monitors.size(); ++i) {
        const Rect& m = monitors[i];
        const double dx = static_cast<double>(gap(rect.left, rect.right, m.left, m.right));
        const double dy = static_cast<double>(gap(rect.top, rect.bottom, m.top, m.bottom));
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = i;
        }
    }
    return best;
}

Rect placeChosenRect(const Rect& chosen, int32_t rectDpi, int32_t windowDpi, std::span<const Rect> monitors) {
    // 64-bit sides, scaled and saturated: a corrupt settings file may hold any four numbers.
    const int64_t from = rectDpi > 0 ? rectDpi : kDesignDpi;
    const int64_t to = windowDpi > 0 ? windowDpi : kDesignDpi;
    const auto length = [&](int32_t low, int32_t high) {
        return (std::max<int64_t>(int64_t{high} - low, 0) * to + from / 2) / from;  // as MulDiv rounds
    };
    const Rect scaled = rectAt(chosen.left, chosen.top, length(chosen.left, chosen.right),
                               length(chosen.top, chosen.bottom));
    const std::optional<size_t> monitor = nearestMonitor(scaled, monitors);
    return monitor ? clampRectToArea(scaled, monitors[*monitor]) : scaled;
}

ScreenPoint centeredOver(const Rect& box, const Rect& owner) {
    const int64_t ownerWidth = int64_t{owner.right} - owner.left;
    const int64_t ownerHeight = int64_t{owner.bottom} - owner.top;
    const int64_t boxWidth = int64_t{box.right} - box.left;
    const int64_t boxHeight = int64_t{box.bottom} - box.top;
    return {static_cast<int32_t>(owner.left + (ownerWidth - boxWidth) / 2),
            static_cast<int32_t>(owner.top + (ownerHeight - boxHeight) / 2)};
}

}  // namespace mb
