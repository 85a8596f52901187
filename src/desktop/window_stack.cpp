#include "desktop/window_stack.h"

#include <algorithm>

namespace mb {

bool coveredByForeignTopmost(const Rect& overlay, std::span<const WindowAbove> above) {
    if (std::any_of(above.begin(), above.end(), [](const WindowAbove& w) { return w.ownProcess; })) return false;
    return std::any_of(above.begin(), above.end(),
                       [&](const WindowAbove& w) { return w.topmost && covers(w.rect, overlay); });
}

}  // namespace mb
