#include "desktop/win/monitor_fit.h"

#include "desktop/monitor_geometry.h"

namespace mb {

RECT clampRectToMonitor(const RECT& rect) {
    HMONITOR monitor = ::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return rect;
    const RECT& m = info.rcMonitor;
    ScreenRect fitted = clampRectToArea({rect.left, rect.top, rect.right, rect.bottom},
                                        {m.left, m.top, m.right, m.bottom});
    return RECT{fitted.left, fitted.top, fitted.right, fitted.bottom};
}

void snapToMonitor(HWND window, bool clickThrough) {
    RECT current{};
    if (!::GetWindowRect(window, &current)) return;
    RECT fitted = clampRectToMonitor(current);
    if (::EqualRect(&current, &fitted)) return;
    UINT flags = SWP_NOZORDER | (clickThrough ? SWP_NOACTIVATE : 0u);
    ::SetWindowPos(window, nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
                   flags);
}

}  // namespace mb
