#include "controls/win/custom_button.h"

namespace mb {

CustomButton::~CustomButton() { unbindControl(control_.window(), this); }

bool CustomButton::create(HWND parent, int x, int y, int width, int height, int id) {
    static bool registered = false;
    return control_.create(registered,
                           controlClass(kCustomButtonClass,
                                        &controlWindowProc<CustomButton, &CustomButton::handleMessage, WM_CREATE>,
                                        CS_OWNDC, IDC_HAND),
                           this, parent, x, y, width, height, id);
}

void CustomButton::setText(const std::wstring& text) { control_.setText(text); }

void CustomButton::setFontSize(int points) { control_.setFontSize(points); }

void CustomButton::setBounds(int x, int y, int width, int height) { control_.setBounds(x, y, width, height); }

LRESULT CustomButton::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (hover_.onMouseMove(window)) invalidateControl(window, true);
        return 0;
    case WM_MOUSELEAVE:
        hover_.onMouseLeave();
        invalidateControl(window, true);
        return 0;
    case WM_LBUTTONDOWN:
        // Fires on the press itself; the parent has handled it when SendMessage returns.
        sendCommand(control_.parent(), control_.id(), BN_CLICKED, window);
        return 0;
    default:
        break;
    }
    if (std::optional<LRESULT> handled = control_.handleMessage(window, message, lParam, hover_.fill()))
        return *handled;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mb
