// Whose DPI the overlay follows. By default none is declared: Windows runs it at 96 DPI and
// stretches its bitmap on a high-DPI screen. With the "HighDpi" setting the process declares
// per-monitor awareness (v2) before any window exists, and each window follows its monitor.
#pragma once

#include <windows.h>

namespace mb {

// The calls that declare awareness, looked up in user32 so the program still starts where
// they do not exist; a test puts its own in their place.
struct DpiAwarenessCalls {
    BOOL(WINAPI* setContext)(HANDLE context) = nullptr;  // Windows 10 1703 and later
    BOOL(WINAPI* setAware)() = nullptr;                  // Vista and later: system-DPI awareness
    static DpiAwarenessCalls fromUser32();
};

// Per-monitor v2 where the system has it, otherwise system-DPI awareness. True when one of the
// two calls succeeded.
bool declarePerMonitorDpiAwareness(const DpiAwarenessCalls& calls = DpiAwarenessCalls::fromUser32());

// The DPI a window's fonts and layout follow: its own (GetDpiForWindow) in a per-monitor aware
// process, otherwise the screen's vertical DPI, as the fonts have always been sized.
int windowDpi(HWND window, bool perMonitor);

}  // namespace mb
