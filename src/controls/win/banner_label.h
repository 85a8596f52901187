// One line that stands out over the channel list: dark text on amber in the list's own face
// ("VantorAlertBanner"). Like a label, text wider than the banner shrinks, then ends in an
// ellipsis, and its window text is the whole line.
#pragma once

#include <windows.h>

#include "controls/win/text_control.h"

namespace mb {

inline constexpr wchar_t kBannerLabelClass[] = L"VantorAlertBanner";

class BannerLabel : public TextControl<BannerLabel> {
private:
    friend class BufferedControl<BannerLabel>;
    static ControlClass windowClass() { return {kBannerLabelClass, CS_OWNDC, IDC_ARROW}; }
    void draw(HDC dc) { drawText(dc, {palette::kBannerFill, palette::kBannerText, kListFace}); }
};

}  // namespace mb
