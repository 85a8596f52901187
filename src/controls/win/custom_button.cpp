#include "controls/win/custom_button.h"

namespace mb {

LRESULT CustomButton::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (hover_.onMouseMove(window)) invalidate(true);
        return 0;
    case WM_MOUSELEAVE:
        hover_.onMouseLeave();
        invalidate(true);
        return 0;
    case WM_LBUTTONDOWN:
        // Fires on the press itself; the parent has handled it when SendMessage returns.
        sendCommand(parent(), id(), BN_CLICKED, window);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace mb
