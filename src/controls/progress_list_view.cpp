#include "controls/progress_list_view.h"

namespace mb::progress_list {

std::optional<std::vector<int32_t>> rowsToRedraw(const std::optional<ProgressListView>& drawn,
                                                 const ProgressListView& wanted) {
    if (!drawn) return std::nullopt;
    const ProgressListFrame& before = *drawn;
    const ProgressListFrame& after = wanted;
    if (before != after) return std::nullopt;
    return changedDrawnRows(drawn->rows, wanted.rows, wanted.topIndex, wanted.visibleRows);
}

}  // namespace mb::progress_list
