// Drawing of the channel list into a device context: font fitting, rows, the scroll strip.
// Fonts are fitted and made for every row of every paint; nothing is cached.
#pragma once

#include <windows.h>

#include <vector>

#include "controls/channel_row.h"
#include "core/win/unique_handle.h"

namespace mb {

// "Consolas" with a cell height (positive) and the list's fixed font arguments.
UniqueFont createListFont(int cellHeight);

// Largest cell height in [lowest, highest] at which the whole text fits into rect, found by a
// binary search that creates and measures a font at every step; lowest when nothing fits.
int fitFontHeight(HDC dc, const wchar_t* text, const RECT& rect, int lowest, int highest);

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
};

// Draws the whole list into dc (the back buffer): background and frame, "Unknown" or the rows,
// then the scroll strip when it is enabled and needed.
void paintProgressList(HDC dc, const ProgressListView& view);

}  // namespace mb
