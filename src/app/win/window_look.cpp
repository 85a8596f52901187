// The main window's looks (compact, expanded with the settings panel, click-through), the focus
// rules that show the panel, opacity, text scale, click-through, hiding, the boss menu and the
// routing of the controls' notifications.
#include <utility>
#include <vector>

#include "app/app_constants.h"
#include "app/look_rules.h"
#include "app/win/tracker_app.h"
#include "core/win/rect_conversion.h"
#include "desktop/click_through_styles.h"
#include "desktop/settings_values.h"
#include "desktop/window_layout.h"
#include "desktop/win/monitor_fit.h"
#include "desktop/win/window_order.h"

namespace mb {
namespace {

bool isOwnWindow(HWND mainWindow, HWND other) { return other && (other == mainWindow || ::IsChild(mainWindow, other)); }

}  // namespace

void TrackerApp::layoutControls() {
    // Nothing to place while the popup is open, or before the controls exist.
    if (look_.bossListOpen || !window_ || !bossView_.selector().window()) return;
    RECT client{};
    ::GetClientRect(window_, &client);
    const int W = client.right;
    const int H = client.bottom;
    // The rows below the selector follow its real height, so it is placed first and measured.
    const int dpi = look_.dpi;
    const int selectorHeight = look_.clickThrough ? 0 : bossView_.placeSelector(selectorBounds(W, H, false, dpi));
    const MainLayout layout = layoutMainWindow(W, H, selectorHeight, look_.clickThrough, look_.settingsPanelShown, dpi);
    bossView_.place(layout);
    statusLine_.place(layout);
    hotkeyBar_.place(layout);
    settingsPanel_.place(layout, !look_.clickThrough && look_.settingsPanelShown);
}

void TrackerApp::applyDpi(int dpi) {
    look_.dpi = dpi;
    bossView_.setDpi(dpi);
    settingsPanel_.setDpi(dpi);
    statusLine_.setDpi(dpi);
    hotkeyBar_.setDpi(dpi);
}

void TrackerApp::onDpiChanged(int dpi, const RECT& suggested) {
    applyDpi(dpi);
    tray_.setDpi(dpi);
    // The rectangle Windows suggests keeps the window's place on the new monitor; the layout
    // follows from its WM_SIZE, and once more here in case the size stayed.
    ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Without a drag (a new scale in Windows' settings, a laptop undocked) the suggestion is
    // scaled from where the window stands and can reach past the screen's edge.
    if (!placement_.inSizeMove()) snapToMonitor(window_, false);
    layoutControls();
}

void TrackerApp::keepAboveCover() {
    if (!look_.visible) return;
    RECT overlay{};
    if (!::GetWindowRect(window_, &overlay)) return;
    const std::vector<WindowAbove> above = visibleWindowsAbove(window_);
    if (coveredByForeignTopmost(toRect(overlay), above)) {
        raiseToTopmost(window_);
    }
}

void TrackerApp::onResume() {
    ::SetLayeredWindowAttributes(window_, 0, opacityToAlpha(settings_.opacity), LWA_ALPHA);
    if (look_.visible) raiseToTopmost(window_);
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool TrackerApp::changeLook(LookEvent event) {
    const LookStep step = nextLook({look_.settingsPanelShown, look_.clickThrough}, event);
    look_.settingsPanelShown = step.look.settingsPanelShown;
    look_.clickThrough = step.look.clickThrough;
    return step.layout;
}

void TrackerApp::onLookEvent(LookEvent event) {
    if (changeLook(event)) layoutControls();
}

void TrackerApp::onActivate(WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case WA_INACTIVE:
        onLookEvent(LookEvent::Deactivated);
        break;
    case WA_ACTIVE:
    case WA_CLICKACTIVE:
        onLookEvent(LookEvent::Activated);
        break;
    default:
        break;
    }
}

void TrackerApp::onKillFocus() {
    hotkeyBar_.onFocusLost();
    // A control of the overlay taking the focus changes nothing.
    if (!isOwnWindow(window_, ::GetFocus())) onLookEvent(LookEvent::FocusLeft);
}

void TrackerApp::onForegroundTimer() {
    keepAboveCover();
    onLookEvent(isOwnWindow(window_, ::GetForegroundWindow()) ? LookEvent::ForegroundIsOverlay
                                                              : LookEvent::ForegroundElsewhere);
}

void TrackerApp::onHorizontalScroll(LPARAM lParam) {
    hotkeyBar_.cancelHotkeyCapture();
    switch (settingsPanel_.sliderOf(reinterpret_cast<HWND>(lParam))) {
    case SettingsPanel::Slider::Opacity:
        applyOpacity();
        break;
    case SettingsPanel::Slider::TextScale:
        applyTextScale();
        break;
    case SettingsPanel::Slider::None:
        break;
    }
}

void TrackerApp::applyOpacity() {
    const int value = settingsPanel_.opacity();
    ::SetLayeredWindowAttributes(window_, 0, opacityToAlpha(value), LWA_ALPHA);
    settings_.setOpacity(value);  // reaches the file with the next save
    settingsPanel_.showOpacity(value);
}

void TrackerApp::applyTextScale() {
    const int value = settingsPanel_.textScale();
    settings_.textScale = value;
    settings_.save();
    settingsPanel_.showTextScale(value);
    bossView_.setTextScale(value);
}

void TrackerApp::applyClickThroughStyles(bool on) {
    const WindowStyles current{static_cast<uint32_t>(::GetWindowLongW(window_, GWL_STYLE)),
                               static_cast<uint32_t>(::GetWindowLongW(window_, GWL_EXSTYLE))};
    const WindowStyles next = clickThroughStyles(current, on);
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    ::SetWindowLongW(window_, GWL_STYLE, static_cast<LONG>(next.style));
    ::SetWindowLongW(window_, GWL_EXSTYLE, static_cast<LONG>(next.exStyle));
    // The new frame takes effect with the outer rectangle kept, so the client grows by the
    // frame when the mode starts. Turning it on never activates the window.
    const UINT flags = SWP_FRAMECHANGED | SWP_SHOWWINDOW | (on ? SWP_NOACTIVATE : 0u);
    ::SetWindowPos(window_, HWND_TOPMOST, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                   flags);
}

void TrackerApp::toggleClickThrough() {
    // The look first: the frame change below lays the controls out with it.
    const bool on = !look_.clickThrough;
    changeLook(
        on ? LookEvent::ClickThroughOn
           : (::GetForegroundWindow() == window_ ? LookEvent::ClickThroughOffFront : LookEvent::ClickThroughOffBehind));
    applyClickThroughStyles(look_.clickThrough);
    snapToMonitor(window_, !look_.clickThrough);
    layoutControls();
    bossView_.setClickThrough(look_.clickThrough);
    settings_.clickThroughMode = look_.clickThrough;
    settings_.save();
}

void TrackerApp::toggleVisibility() {
    look_.visible = !look_.visible;
    if (!look_.visible) {
        ::ShowWindow(window_, SW_HIDE);
        return;
    }
    ::ShowWindow(window_, SW_SHOWNA);
    raiseToTopmost(window_);  // without taking the activation, so the game keeps the keyboard
}

void TrackerApp::toggleBossMenu() {
    CustomComboBox& selector = bossView_.selector();
    if (selector.itemCount() == 0) return;
    if (selector.isOpen()) {
        selector.closePopup();
        return;
    }
    layoutControls();  // the selector's rectangle is current, also while it is hidden
    selector.showPopup();
}

void TrackerApp::runHotkeyAction(HotkeyAction action) {
    // Indexed by the action, in the order of HotkeyAction.
    static constexpr void (TrackerApp::*kActions[kHotkeyActionCount])() = {&TrackerApp::toggleClickThrough,
                                                                           &TrackerApp::toggleVisibility,
                                                                           &TrackerApp::toggleBossMenu};
    (this->*kActions[actionIndex(action)])();
}

void TrackerApp::askToClose() { ::PostMessageW(window_, WM_CLOSE, 0, 0); }  // through the confirmation

void TrackerApp::runTrayCommand(TrayCommand command) {
    static constexpr std::pair<TrayCommand, void (TrackerApp::*)()> kCommands[] = {
        {TrayCommand::ToggleVisibility, &TrackerApp::toggleVisibility},
        {TrayCommand::Status, &TrackerApp::showStatus},
        {TrayCommand::TrackerAddress, &TrackerApp::editTrackerAddress},
        {TrayCommand::Help, &TrackerApp::showHelp},
        {TrayCommand::Exit, &TrackerApp::askToClose},
    };
    for (const auto& [each, run] : kCommands) {
        if (each == command) (this->*run)();
    }
}

void TrackerApp::onControlCommand(WPARAM wParam) {
    const WORD code = HIWORD(wParam);
    const WORD id = LOWORD(wParam);
    if (id == kIdBossSelector) {
        switch (code) {
        case CBN_CLOSEUP:
            look_.bossListOpen = false;
            layoutControls();
            break;
        case CBN_DROPDOWN:
            look_.bossListOpen = true;
            break;
        case CBN_SELCHANGE:
            hotkeyBar_.cancelHotkeyCapture();
            onBossSelected();
            break;
        default:
            break;
        }
        return;
    }
    if (code != BN_CLICKED) return;  // STN_CLICKED from a label and kListClicked are the same code
    if (id == kIdStatusLine) {
        showStatus();
        return;
    }
    if (id == kIdChannelList) {
        // While the list says that no usable tracker is set, a click on it sets one; in the view
        // of every boss, a click on a boss's row shows that boss.
        if (config_.trackerAddress() != TrackerAddress::Usable) {
            editTrackerAddress();
        } else if (const std::optional<size_t> item = bossView_.itemOfClickedRow()) {
            bossView_.select(*item);
            onBossSelected();
        }
        return;
    }
    if (const std::optional<HotkeyAction> action = HotkeyBar::actionOfButton(id))
        hotkeyBar_.beginHotkeyCapture(*action);
}

}  // namespace mb
