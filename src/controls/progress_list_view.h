// What the channel list's pixels are made from, and what a paint over the last one must draw
// again. The list keeps the view it shows and the view its back buffer holds; comparing the
// two is the one place that decides what differs on screen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "controls/channel_row.h"
#include "controls/progress_list_math.h"
#include "controls/progress_list_text.h"
#include "core/dpi_scale.h"

namespace mb {

// Everything the list's pixels follow besides its rows: a change in any of it draws the whole list.
struct ProgressListFrame {
    int topIndex = 0;
    int rowHeight = progress_list::kDefaultRowHeight;
    int visibleRows = 0;
    int width = 0;
    int height = 0;
    int dpi = kDesignDpi;  // of the strip, the thumb, the outline and the font bounds
    bool scrollBarEnabled = true;
    bool draggingThumb = false;
    bool scrollHover = false;
    std::wstring emptyText{progress_list::kNoRowsCaption};  // drawn while there are no rows
    bool operator==(const ProgressListFrame&) const = default;
};

// One paint of the list: equal views give equal pixels.
struct ProgressListView : ProgressListFrame {
    std::vector<ChannelRow> rows;
    bool operator==(const ProgressListView&) const = default;
};

namespace progress_list {

// What to draw over a buffer that holds `drawn` (none: nothing known of it) for it to show
// `wanted`: the drawn rows that differ (k = 0 at topIndex), empty when it already shows it, or
// nothing when the whole list must be drawn.
std::optional<std::vector<int32_t>> rowsToRedraw(const std::optional<ProgressListView>& drawn,
                                                 const ProgressListView& wanted);

}  // namespace progress_list
}  // namespace mb
