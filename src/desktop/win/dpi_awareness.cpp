#include "desktop/win/dpi_awareness.h"

#include "controls/win/control_base.h"

namespace mb {
namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, as a value: the headers give it only to newer
// targets, and the program looks the call up anyway.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));

template <typename Function>
Function user32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

DpiAwarenessCalls DpiAwarenessCalls::fromUser32() {
    DpiAwarenessCalls calls;
    calls.setContext = user32Function<BOOL(WINAPI*)(HANDLE)>("SetProcessDpiAwarenessContext");
    calls.setAware = user32Function<BOOL(WINAPI*)()>("SetProcessDpiAware");
    return calls;
}

bool declarePerMonitorDpiAwareness(const DpiAwarenessCalls& calls) {
    if (calls.setContext && calls.setContext(kPerMonitorAwareV2)) return true;
    return calls.setAware && calls.setAware();
}

int windowDpi(HWND window, bool perMonitor) {
    if (perMonitor) {
        static const auto getDpiForWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
        if (getDpiForWindow && window) {
            if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
        }
    }
    return screenDpiY();
}

}  // namespace mb
