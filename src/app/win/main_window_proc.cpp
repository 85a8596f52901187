// The main window procedure: cracks each message and hands it to the member of the
// application that owns it.
#include "app/win/tracker_app.h"
#include "app/app_constants.h"
#include "app/win/handle_count_query.h"
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
    case WM_SIZE:
        app->layoutControls();
        return 0;
    case WM_ACTIVATE:
        app->onActivate(wParam);
        return 0;
    case WM_SETFOCUS:
        app->onSetFocus();
        return 0;
    case WM_KILLFOCUS:
        app->onKillFocus();
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
        // A logoff that another program cancelled leaves the overlay running as before: the
        // next close asks again.
        if (wParam) {
            app->confirmExit();
        } else {
            app->sessionEnding = false;
        }
        return 0;
    case WM_KEYDOWN:
        if (app->onKeyDown(wParam)) return 0;
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_COMMAND:
        app->onControlCommand(wParam, lParam);
        return 0;
    case WM_TIMER:
        app->onTimer(wParam);
        return 0;
    case WM_HSCROLL:
        app->onHorizontalScroll(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        app->onLeftButtonDown();
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_EXITSIZEMOVE:
        snapToMonitor(window, app->clickThrough);
        return 0;
    case WM_DISPLAYCHANGE:
        // A lower resolution, a monitor unplugged or a remote session can leave the window
        // where no screen is; in click-through it could not even be dragged back.
        snapToMonitor(window, app->clickThrough);
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) snapToMonitor(window, app->clickThrough);
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_HOTKEY:
        if (app->onHotkey(wParam)) return 0;
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_NCDESTROY:
        // Nothing after this may reach the application object through the window.
        ::SetWindowLongPtrW(window, 0, 0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    case kTrayCallbackMessage:
        app->onTrayNotify(wParam, lParam);
        return 0;
    case kTrackerLoadedMessage:
        app->applyInitialLoad();
        return 0;
    case kConnectionStateMessageId:
        app->onConnectionState(wParam);
        return 0;
    default:
        if (message != 0 && message == app->taskbarCreatedMessage) {
            app->addTrayIcon();  // the shell restarted and forgot every icon
            return 0;
        }
        if (message != 0 && message == handleCountQueryMessage()) return answerHandleCountQuery(wParam);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace mb
