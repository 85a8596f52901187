// The main window's looks (compact, expanded with the settings panel, click-through), the focus
// rules that show the panel, opacity, text scale, click-through, hiding, the boss menu and the
// routing of the controls' notifications.
#include <vector>

#include "app/app_constants.h"
#include "app/win/tracker_app.h"
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
    if (look_.layoutFrozen || !window_ || !bossView_.selector().window()) return;
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
    if (coveredByForeignTopmost({overlay.left, overlay.top, overlay.right, overlay.bottom}, above)) {
        raiseToTopmost(window_);
    }
}

void TrackerApp::onResume() {
    ::SetLayeredWindowAttributes(window_, 0, opacityToAlpha(settings_.opacity), LWA_ALPHA);
    if (look_.visible) raiseToTopmost(window_);
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TrackerApp::setSettingsPanelShown(bool shown) {
    look_.settingsPanelShown = shown;
    layoutControls();
}

void TrackerApp::onActivate(WPARAM wParam) {
    if (look_.clickThrough) return;
    switch (LOWORD(wParam)) {
    case WA_INACTIVE:
        setSettingsPanelShown(false);
        break;
    case WA_ACTIVE:
    case WA_CLICKACTIVE:
        setSettingsPanelShown(true);
        break;
    default:
        break;
    }
}

void TrackerApp::onSetFocus() {
    if (!look_.clickThrough) setSettingsPanelShown(true);
}

void TrackerApp::onKillFocus() {
    hotkeyBar_.onFocusLost();
    if (look_.clickThrough) return;
    if (!isOwnWindow(window_, ::GetFocus())) setSettingsPanelShown(false);
}

void TrackerApp::onForegroundTimer() {
    keepAboveCover();
    if (look_.clickThrough) return;
    const bool active = isOwnWindow(window_, ::GetForegroundWindow());
    if (active != look_.settingsPanelShown) setSettingsPanelShown(active);
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
    look_.settingsPanelShown = on ? false : ::GetForegroundWindow() == window_;
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
    look_.clickThrough = !look_.clickThrough;
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

void TrackerApp::runTrayCommand(TrayCommand command) {
    switch (command) {
    case TrayCommand::ToggleVisibility:
        toggleVisibility();
        break;
    case TrayCommand::Status:
        showStatus();
        break;
    case TrayCommand::TrackerAddress:
        editTrackerAddress();
        break;
    case TrayCommand::Help:
        showHelp();
        break;
    case TrayCommand::Exit:
        ::PostMessageW(window_, WM_CLOSE, 0, 0);  // through the confirmation
        break;
    case TrayCommand::None:
        break;
    }
}

void TrackerApp::onControlCommand(WPARAM wParam) {
    const WORD code = HIWORD(wParam);
    const WORD id = LOWORD(wParam);
    if (id == kIdBossSelector) {
        switch (code) {
        case CBN_CLOSEUP:
            look_.layoutFrozen = false;
            layoutControls();
            break;
        case CBN_DROPDOWN:
            look_.layoutFrozen = true;
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
        // While the list says that no usable tracker is set, a click on it sets one.
        if (settings_.trackerAddress() != TrackerAddress::Usable) editTrackerAddress();
        return;
    }
    if (const std::optional<HotkeyAction> action = HotkeyBar::actionOfButton(id))
        hotkeyBar_.beginHotkeyCapture(*action);
}

}  // namespace mb
