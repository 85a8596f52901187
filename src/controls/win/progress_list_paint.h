// Drawing of the channel list into a device context: font fitting, rows, the scroll strip.
// One row font is fitted and made per paint; the list remembers fitted heights between paints.
#pragma once

#include <windows.h>

#include <map>
#include <tuple>
#include <vector>

#include "controls/channel_row.h"
#include "controls/progress_list_text.h"
#include "core/dpi_scale.h"
#include "core/win/unique_handle.h"

namespace mb {

// "Consolas" with a cell height (positive) and the list's fixed font arguments.
UniqueFont createListFont(int cellHeight);

// Largest cell height in [lowest, highest] at which the whole text fits into rect, found by a
// binary search that creates and measures a font at every step; lowest when nothing fits.
int fitFontHeight(HDC dc, const wchar_t* text, const RECT& rect, int lowest, int highest);

// Fitted heights and the fonts made at them, remembered between paints. The font, the text and
// the search bounds are fixed per use, so the same text in a rectangle of the same size fits
// the same height: the pixels do not change, only the fonts made to find and draw it are saved.
class FontFitCache {
public:
    // fitFontHeight, asked only the first time for this text and rectangle size.
    int fit(HDC dc, const wchar_t* text, const RECT& rect, int lowest, int highest);
    // The list's face at a cell height, made the first time and kept.
    HFONT font(int cellHeight);

private:
    using Key = std::tuple<const wchar_t*, LONG, LONG, int, int>;  // texts are the list's constants
    static constexpr size_t kLimit = 64;                           // a few sizes per session
    std::map<Key, int> heights_;
    static constexpr size_t kFontLimit = 4;  // the rows' and the empty list's, at a scale or two
    std::map<int, UniqueFont> fonts_;        // by cell height
};

// Everything one paint of the list needs.
struct ProgressListView {
    const std::vector<ChannelRow>* rows = nullptr;
    int topIndex = 0;
    int rowHeight = 0;
    int visibleRows = 0;
    int width = 0;
    int height = 0;
    bool scrollBarEnabled = true;
    bool draggingThumb = false;
    bool scrollHover = false;
    int dpi = kDesignDpi;          // of the strip, the thumb, the outline and the font bounds
    FontFitCache* fits = nullptr;  // optional
    const wchar_t* emptyText = progress_list::kNoRowsCaption;  // drawn while there are no rows
};

// Draws the whole list into dc (the back buffer): background and frame, the empty text or the rows,
// then the scroll strip when it is enabled and needed.
void paintProgressList(HDC dc, const ProgressListView& view);
// Draws only these drawn rows (k = 0 at topIndex) over a buffer that holds the list's last
// paint, each within its own rectangle and with the same pixels as paintProgressList gives it.
void paintProgressListRows(HDC dc, const ProgressListView& view, const std::vector<int32_t>& drawn);

}  // namespace mb
