// The main window procedure: hands each message to the part of the application that owns it.
#include "core/app_constants.h"
#include "core/win/tracker_app.h"
#include "desktop/win/monitor_fit.h"

namespace mb {

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    auto* app = reinterpret_cast<TrackerApp*>(::GetWindowLongPtrW(window, 0));
    if (!app) return ::DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_DESTROY:
        app->onDestroy();
        return 0;
    case WM_PAINT: {
        PaintScope paint(window);  // the class brush is the background; controls paint themselves
        return 0;
    }
    case WM_CLOSE:
        app->confirmExit();
        return 0;
    case WM_QUERYENDSESSION:
        app->sessionEnding = true;
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) app->confirmExit();
        return 0;
    case WM_TIMER:
        app->onTimer(wParam);
        return 0;
    case WM_EXITSIZEMOVE:
        snapToMonitor(window, app->clickThrough);
        return 0;
    case WM_NCDESTROY:
        // Nothing after this may reach the application object through the window.
        ::SetWindowLongPtrW(window, 0, 0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    case kTrackerLoadedMessage:
        app->applyInitialLoad();
        return 0;
    case kConnectionStateMessageId:
        app->connectionState = static_cast<ConnectionState>(wParam);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace mb
