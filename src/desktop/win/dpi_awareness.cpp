#include "desktop/win/dpi_awareness.h"

#include "controls/win/control_base.h"

namespace mb {
namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, as a value: the headers give it only to newer
// targets, and the program looks the calls up anyway.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));
constexpr int kPerMonitorAwareness = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE, v1 and v2 alike

template <typename Function>
Function user32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

DpiAwarenessCalls DpiAwarenessCalls::fromUser32() {
    DpiAwarenessCalls calls;
    calls.setThreadContext = user32Function<HANDLE(WINAPI*)(HANDLE)>("SetThreadDpiAwarenessContext");
    calls.setProcessContext = user32Function<BOOL(WINAPI*)(HANDLE)>("SetProcessDpiAwarenessContext");
    calls.setAware = user32Function<BOOL(WINAPI*)()>("SetProcessDpiAware");
    calls.windowContext = user32Function<HANDLE(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
    calls.awarenessOf = user32Function<int(WINAPI*)(HANDLE)>("GetAwarenessFromDpiAwarenessContext");
    return calls;
}

PerMonitorDpiAwareness::PerMonitorDpiAwareness(const DpiAwarenessCalls& calls) : calls_(calls) {
    if (calls_.setThreadContext) previousThreadContext_ = calls_.setThreadContext(kPerMonitorAwareV2);
    declared_ = previousThreadContext_ || (calls_.setProcessContext && calls_.setProcessContext(kPerMonitorAwareV2)) ||
                (calls_.setAware && calls_.setAware());
}

PerMonitorDpiAwareness::~PerMonitorDpiAwareness() {
    if (previousThreadContext_) calls_.setThreadContext(previousThreadContext_);
}

bool isPerMonitorAware(HWND window, const DpiAwarenessCalls& calls) {
    if (!calls.windowContext || !calls.awarenessOf || !window) return false;
    const HANDLE context = calls.windowContext(window);
    return context && calls.awarenessOf(context) == kPerMonitorAwareness;
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
