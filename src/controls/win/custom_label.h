// A line of centred white text on the dark background ("VantorCustomLabel"). A label that
// notifies clicks (as a static with SS_NOTIFY does) sends WM_COMMAND with STN_CLICKED to its
// parent when the left button goes down on it, and shows the hand pointer.
#pragma once

#include <windows.h>

#include "controls/win/text_control.h"

namespace mb {

inline constexpr wchar_t kCustomLabelClass[] = L"VantorCustomLabel";

class CustomLabel : public TextControl<CustomLabel> {
public:
    void setNotifyClicks(bool notify) { notifyClicks_ = notify; }

private:
    friend class BufferedControl<CustomLabel>;
    static ControlClass windowClass() { return {kCustomLabelClass, CS_OWNDC, IDC_ARROW}; }
    void draw(HDC dc) { drawText(dc, {}); }
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (notifyClicks_ && message == WM_LBUTTONDOWN) {
            sendCommand(parent(), id(), STN_CLICKED, window);
            return 0;
        }
        if (notifyClicks_ && message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    bool notifyClicks_ = false;
};

}  // namespace mb
