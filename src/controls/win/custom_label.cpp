#include "controls/win/custom_label.h"

namespace mb {

CustomLabel::~CustomLabel() {
    // The window goes with the main window; it must not reach this object afterwards.
    unbindControl(control_.window(), this);
}

bool CustomLabel::create(HWND parent, int x, int y, int width, int height, int id) {
    static bool registered = false;
    return control_.create(registered,
                           controlClass(kCustomLabelClass,
                                        &controlWindowProc<CustomLabel, &CustomLabel::handleMessage, WM_CREATE>,
                                        CS_OWNDC, IDC_ARROW),
                           this, parent, x, y, width, height, id);
}

void CustomLabel::setText(const std::wstring& text) { control_.setText(text); }

void CustomLabel::setFontSize(int points) { control_.setFontSize(points); }

void CustomLabel::setBounds(int x, int y, int width, int height) { control_.setBounds(x, y, width, height); }

LRESULT CustomLabel::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (std::optional<LRESULT> handled = control_.handleMessage(window, message, lParam, palette::kBackground))
        return *handled;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mb
