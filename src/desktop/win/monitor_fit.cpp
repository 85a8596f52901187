#include "desktop/win/monitor_fit.h"

#include "core/win/rect_conversion.h"

#include "core/dpi_scale.h"

namespace mb {
namespace {

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<Rect>*>(list)->push_back(toRect(info.rcMonitor));
    }
    return TRUE;
}

}  // namespace

std::vector<Rect> currentMonitors() {
    std::vector<Rect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &addMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

RECT placeOnMonitors(const RECT& chosen, int rectDpi, int windowDpi) {
    return toRect(placeChosenRect(toRect(chosen), rectDpi, windowDpi, currentMonitors()));
}

RECT clampRectToMonitor(const RECT& rect) { return placeOnMonitors(rect, kDesignDpi, kDesignDpi); }

void moveWindowTo(HWND window, const RECT& rect, bool mayActivate) {
    RECT current{};
    if (!::GetWindowRect(window, &current) || ::EqualRect(&current, &rect)) return;
    const UINT flags = SWP_NOZORDER | (mayActivate ? 0u : SWP_NOACTIVATE);
    ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, flags);
}

void snapToMonitor(HWND window, bool mayActivate) {
    RECT current{};
    if (::GetWindowRect(window, &current)) moveWindowTo(window, clampRectToMonitor(current), mayActivate);
}

}  // namespace mb
