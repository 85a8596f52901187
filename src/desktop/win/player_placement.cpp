#include "desktop/win/player_placement.h"

#include "desktop/win/monitor_fit.h"

namespace mb {

void PlayerPlacement::choose(const RECT& rect, int rectDpi) {
    chosen_ = rect;
    dpi_ = rectDpi;
}

RECT PlayerPlacement::placement(int windowDpi) const { return placeOnMonitors(chosen_, dpi_, windowDpi); }

void PlayerPlacement::onEnterSizeMove(HWND window) { inSizeMove_ = ::GetWindowRect(window, &atLoopStart_) != FALSE; }

void PlayerPlacement::onExitSizeMove(HWND window, int windowDpi, bool clickThrough) {
    const bool tracked = inSizeMove_;
    inSizeMove_ = false;
    snapToMonitor(window, !clickThrough);
    RECT now{};
    if (!tracked || !::GetWindowRect(window, &now) || ::EqualRect(&now, &atLoopStart_)) return;
    choose(now, windowDpi);
}

void PlayerPlacement::restore(HWND window, int windowDpi) const { moveWindowTo(window, placement(windowDpi), false); }

RECT PlayerPlacement::saved() const { return placeOnMonitors(chosen_, dpi_, dpi_); }

}  // namespace mb
