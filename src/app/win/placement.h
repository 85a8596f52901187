// Puts a control where a computed layout says, and shows or hides it.
#pragma once

#include <windows.h>

#include "desktop/window_layout.h"

namespace mb {

template <typename Control>
void applyPlacement(Control& control, const Placement& placement) {
    if (placement.bounds) {
        const Rect& r = *placement.bounds;
        control.setBounds(r.left, r.top, r.width(), r.height());
    }
    switch (placement.visibility) {
    case Visibility::Show:
        ::ShowWindow(control.window(), SW_SHOW);
        break;
    case Visibility::ShowNoActivate:
        ::ShowWindow(control.window(), SW_SHOWNA);
        break;
    case Visibility::Hide:
        ::ShowWindow(control.window(), SW_HIDE);
        break;
    case Visibility::Keep:
        break;
    }
}

}  // namespace mb
