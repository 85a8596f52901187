// A line of centred white text on the dark background ("VantorCustomLabel").
#pragma once

#include <windows.h>

#include "controls/win/text_control.h"

namespace mb {

inline constexpr wchar_t kCustomLabelClass[] = L"VantorCustomLabel";

class CustomLabel : public TextControl<CustomLabel> {
private:
    friend class BufferedControl<CustomLabel>;
    static ControlClass windowClass() { return {kCustomLabelClass, CS_OWNDC, IDC_ARROW}; }
    void draw(HDC dc) { drawText(dc, {}); }
};

}  // namespace mb
