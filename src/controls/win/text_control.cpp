#include "controls/win/text_control.h"

namespace mb {

void drawCentredText(HDC dc, int width, int height, const TextLook& look, const std::wstring& text, const TextFit& fit,
                     int dpi) {
    RECT client{0, 0, width, height};
    fillSolid(dc, client, look.fill);
    if (text.empty()) return;
    UniqueFont font = createPointFont(fit.points, dpi, look.face);
    SelectScope selectFont(dc, font.get());
    ::SetTextColor(dc, look.text);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.c_str(), -1, &client,
                DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_CENTER | ellipsisFormat(fit));
}

}  // namespace mb
