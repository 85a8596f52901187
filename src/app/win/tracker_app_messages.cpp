// The main window's messages: each one goes to the operation or collaborator that owns it.
#include <optional>
#include <string>

#include "app/app_constants.h"
#include "app/look_rules.h"
#include "app/win/handle_count_query.h"
#include "app/win/tracker_app.h"

namespace mb {

LRESULT TrackerApp::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        window_ = window;
        break;
    case WM_DESTROY:
        onDestroy();
        return 0;
    case WM_SIZE:
        layoutControls();
        return 0;
    case WM_ACTIVATE:
        onActivate(wParam);
        return 0;
    case WM_SETFOCUS:
        onLookEvent(LookEvent::FocusGained);
        return 0;
    case WM_KILLFOCUS:
        onKillFocus();
        return 0;
    case WM_PAINT: {
        PaintScope paint(window);  // the class brush is the background; controls paint themselves
        return 0;
    }
    case WM_CLOSE:
        confirmExit();
        return 0;
    case WM_QUERYENDSESSION:
        look_.sessionEnding = true;
        return TRUE;
    case WM_ENDSESSION:
        // A logoff that another program cancelled leaves the overlay running as before: the
        // next close asks again.
        if (wParam) {
            confirmExit();
        } else {
            look_.sessionEnding = false;
        }
        return 0;
    case WM_KEYDOWN:
        if (hotkeyBar_.onKeyDown(wParam)) return 0;
        break;
    case WM_COMMAND:
        onControlCommand(wParam);
        return 0;
    case WM_TIMER:
        onTimer(wParam);
        return 0;
    case WM_HSCROLL:
        onHorizontalScroll(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        hotkeyBar_.cancelHotkeyCapture();
        break;
    case WM_ENTERSIZEMOVE:
        placement_.onEnterSizeMove(window);
        break;
    case WM_EXITSIZEMOVE:
        placement_.onExitSizeMove(window, look_.dpi, look_.clickThrough);
        return 0;
    case WM_DISPLAYCHANGE: {
        // A game's lower resolution, a monitor unplugged or a remote session can leave the window
        // where no screen is (in click-through it could not even be dragged back); when the
        // desktop comes back, so does the window.
        RECT before{};
        ::GetWindowRect(window, &before);
        placement_.restore(window, look_.dpi);
        logWindowChange("Display changed to " + std::to_string(LOWORD(lParam)) + " x " + std::to_string(HIWORD(lParam)),
                        before);
        break;
    }
    case WM_DPICHANGED: {
        if (!look_.perMonitorDpi) break;  // Windows stretches every other window itself
        RECT before{};
        ::GetWindowRect(window, &before);
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        logWindowChange("DPI changed to " + std::to_string(HIWORD(wParam)), before);
        return 0;
    }
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC) onResume();
        return TRUE;
    case WM_HOTKEY:
        if (hotkeyBar_.capturing()) {
            hotkeyBar_.refuseDuplicate();
            return 0;
        }
        if (const std::optional<HotkeyAction> action = HotkeyBar::actionOfHotkey(wParam)) {
            runHotkeyAction(*action);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        window_ = nullptr;  // the thunk unbinds this object after this message
        break;
    case kTrayCallbackMessage:
        runTrayCommand(tray_.onNotify(wParam, lParam, look_.visible));
        return 0;
    case kTrackerLoadedMessage:
        if (static_cast<uint64_t>(wParam) == feed_.generation()) applyInitialLoad();  // else a tracker before
        return 0;
    case kConnectionStateMessage:
        onConnectionState(wParam, lParam);
        return 0;
    default:
        if (tray_.onTaskbarCreated(message)) return 0;
        if (message != 0 && message == handleCountQueryMessage()) return answerHandleCountQuery(wParam);
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mb
