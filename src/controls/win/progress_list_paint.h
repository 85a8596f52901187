// Drawing of the channel list into a device context: font fitting, rows, the scroll strip.
// One row font is fitted and made per paint; the list remembers fitted heights between paints.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "controls/progress_list_view.h"
#include "controls/text_fit.h"
#include "core/win/unique_handle.h"

namespace mb {

// "Consolas" with a cell height (positive) and the list's fixed font arguments.
UniqueFont createListFont(int cellHeight);

// Fitted heights and the fonts made at them, remembered between paints. A height follows the
// text, the rectangle's size and the search bounds alone (the face is always the list's), so it
// is kept by those values: the pixels do not change, only the fonts made to find and draw it
// are saved.
class FontFitCache {
public:
    // Largest cell height in [lowest, highest] at which the whole text fits into rect (lowest
    // when none does), searched for the first time this text, size and bounds are asked for.
    int fit(HDC dc, std::wstring_view text, const RECT& rect, int lowest, int highest);
    // The list's face at a cell height, made the first time and kept.
    HFONT font(int cellHeight);
    // A boss's name in the controls' face: the rule of the labels (fitTextPoints from wanted
    // points down to 8, then an ellipsis) in width pixels, kept by the name and the numbers.
    TextFit fitName(HDC dc, const std::wstring& name, int width, int wantedPoints, int dpi);
    // The controls' face at points, made the first time and kept.
    HFONT nameFont(int points, int dpi);

private:
    struct Fitted {
        std::wstring text;
        LONG width;
        LONG height;
        int lowest;
        int highest;
        int cellHeight;
    };
    static constexpr size_t kLimit = 64;  // a few sizes per session
    std::vector<Fitted> heights_;
    static constexpr size_t kFontLimit = 4;                // the rows' and the empty list's, at a scale or two
    std::map<int, UniqueFont> fonts_;                      // by cell height
    std::map<std::wstring, TextFitMemo> nameFits_;         // by name: the bosses of one tracker
    std::map<std::pair<int, int>, UniqueFont> nameFonts_;  // by points and DPI
};

// Draws the whole list into dc (the back buffer): background and frame, the empty text or the rows,
// then the scroll strip when it is enabled and needed.
void paintProgressList(HDC dc, const ProgressListView& view, FontFitCache& fits);
// Draws only these drawn rows (k = 0 at topIndex) over a buffer that holds the list's last
// paint, each within its own rectangle and with the same pixels as paintProgressList gives it.
void paintProgressListRows(HDC dc, const ProgressListView& view, const std::vector<int32_t>& drawn, FontFitCache& fits);

}  // namespace mb
