// The main window's look as a small state machine: whether the settings panel shows (the
// overlay is active) and whether click-through is on, and the one rule for each event that
// changes them. The window procedure only turns its messages into these events.
#pragma once

namespace mb {

enum class LookEvent {
    Activated,             // WM_ACTIVATE with WA_ACTIVE or WA_CLICKACTIVE
    Deactivated,           // WM_ACTIVATE with WA_INACTIVE
    FocusGained,           // WM_SETFOCUS
    FocusLeft,             // WM_KILLFOCUS, the focus now on no window of the overlay
    ForegroundIsOverlay,   // the one-second tick: the overlay (or a control of it) is in front
    ForegroundElsewhere,   // the one-second tick: another program is
    ClickThroughOn,        // the click-through hotkey, or a start in click-through mode
    ClickThroughOffFront,  // click-through ends while the overlay is the foreground window
    ClickThroughOffBehind  // click-through ends while another window is
};

struct Look {
    bool settingsPanelShown = false;
    bool clickThrough = false;
    bool operator==(const Look&) const = default;
};

struct LookStep {
    Look look;
    bool layout = false;  // the controls are placed again
    bool operator==(const LookStep&) const = default;
};

// In click-through mode only the click-through events do anything. Activation and focus set the
// panel and lay out; the foreground tick lays out only when the panel changes; turning
// click-through on hides the panel, turning it off shows it when the overlay is in front.
constexpr LookStep nextLook(Look look, LookEvent event) {
    switch (event) {
    case LookEvent::ClickThroughOn:
        return {{false, true}, true};
    case LookEvent::ClickThroughOffFront:
    case LookEvent::ClickThroughOffBehind:
        return {{event == LookEvent::ClickThroughOffFront, false}, true};
    default:
        break;
    }
    if (look.clickThrough) return {look, false};
    switch (event) {
    case LookEvent::Activated:
    case LookEvent::FocusGained:
        return {{true, false}, true};
    case LookEvent::Deactivated:
    case LookEvent::FocusLeft:
        return {{false, false}, true};
    case LookEvent::ForegroundIsOverlay:
    case LookEvent::ForegroundElsewhere: {
        const bool active = event == LookEvent::ForegroundIsOverlay;
        return {{active, false}, active != look.settingsPanelShown};
    }
    default:
        return {look, false};
    }
}

}  // namespace mb
