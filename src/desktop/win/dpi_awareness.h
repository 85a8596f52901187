// Whose DPI the overlay follows. By default none is declared: Windows runs it at 96 DPI and
// stretches its bitmap on a high-DPI screen. With the "HighDpi" setting the interface thread
// declares per-monitor awareness (v2) right before the main window is created, and each window
// follows its monitor.
#pragma once

#include <windows.h>

namespace mb {

// The calls that declare and read awareness, looked up in user32 so the program still starts
// where they do not exist; a test puts its own in their place.
struct DpiAwarenessCalls {
    HANDLE(WINAPI* setThreadContext)(HANDLE context) = nullptr;  // Windows 10 1607: the earlier one, or null
    BOOL(WINAPI* setProcessContext)(HANDLE context) = nullptr;   // Windows 10 1703
    BOOL(WINAPI* setAware)() = nullptr;                          // Vista: system-DPI awareness
    HANDLE(WINAPI* windowContext)(HWND window) = nullptr;        // Windows 10 1607
    int(WINAPI* awarenessOf)(HANDLE context) = nullptr;          // Windows 10 1607
    static DpiAwarenessCalls fromUser32();
};

// Per-monitor v2 for the windows this thread creates from now on. Where the thread call is
// missing or refuses v2, the process-wide call, and failing that system-DPI awareness (which
// Windows may refuse once COM or the common controls have made windows). The thread's earlier
// awareness comes back when this goes.
class PerMonitorDpiAwareness {
public:
    explicit PerMonitorDpiAwareness(const DpiAwarenessCalls& calls = DpiAwarenessCalls::fromUser32());
    ~PerMonitorDpiAwareness();
    PerMonitorDpiAwareness(const PerMonitorDpiAwareness&) = delete;
    PerMonitorDpiAwareness& operator=(const PerMonitorDpiAwareness&) = delete;

    // One of the calls succeeded.
    bool declared() const { return declared_; }

private:
    DpiAwarenessCalls calls_;
    HANDLE previousThreadContext_ = nullptr;  // set only when the thread call succeeded
    bool declared_ = false;
};

// The window really is per-monitor aware, so WM_DPICHANGED is its to handle. Windows may send the
// message to other windows too, which must leave it to DefWindowProcW: Windows stretches them.
bool isPerMonitorAware(HWND window, const DpiAwarenessCalls& calls = DpiAwarenessCalls::fromUser32());

// The DPI a window's fonts and layout follow: its own (GetDpiForWindow) when it is per-monitor
// aware, otherwise the screen's vertical DPI, as the fonts have always been sized.
int windowDpi(HWND window, bool perMonitor);

}  // namespace mb
