// A flat dark button ("VantorCustomButton") that turns lighter under the pointer and sends
// WM_COMMAND (BN_CLICKED) to its parent the moment the left button goes down. No capture,
// nothing on release, no pressed look.
#pragma once

#include <windows.h>

#include "controls/win/text_control.h"

namespace mb {

inline constexpr wchar_t kCustomButtonClass[] = L"VantorCustomButton";

class CustomButton : public TextControl<CustomButton> {
public:
    bool hovered() const { return hover_.hovered(); }

private:
    friend class BufferedControl<CustomButton>;
    static ControlClass windowClass() { return {kCustomButtonClass, CS_OWNDC, IDC_HAND}; }
    void draw(HDC dc) { drawText(dc, {hover_.fill()}); }
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HoverTracker hover_;
};

}  // namespace mb
