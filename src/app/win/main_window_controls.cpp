// The main window's fifteen controls: creation, the three looks (compact, expanded with the
// settings panel, click-through), the focus rules that show the panel, opacity, text scale,
// click-through, hiding and the routing of the controls' notifications.
#include <algorithm>
#include <string>

#include "app/app_constants.h"
#include "app/win/tracker_app.h"
#include "desktop/click_through_styles.h"
#include "desktop/settings_values.h"
#include "desktop/window_layout.h"
#include "desktop/win/monitor_fit.h"

namespace mb {
namespace {

std::wstring percentText(int value) { return std::to_wstring(value) + L"%"; }

// Creation sizes that the client cannot hold are made empty rather than negative.
int size(int value) { return std::max(0, value); }

bool isOwnWindow(HWND mainWindow, HWND other) { return other && (other == mainWindow || ::IsChild(mainWindow, other)); }

template <typename Control>
void hide(Control& control) {
    ::ShowWindow(control.window(), SW_HIDE);
}

}  // namespace

void TrackerApp::createControls() {
    RECT client{};
    ::GetClientRect(mainWindow, &client);
    const int W = client.right;
    const int H = client.bottom;
    HWND parent = mainWindow;

    bossSelector.create(parent, 10, 10, size(W - 20), 28, kIdBossSelector);
    channelList.create(parent, 10, 40, size(W - 20), size(H - 140), kIdChannelList);
    opacitySlider.create(parent, 10, H - 80, size(W - 100), 20, kIdOpacitySlider);
    opacitySlider.setRange(kMinOpacity, kMaxOpacity);
    opacitySlider.setValue(settings.opacity);
    opacityValueLabel.create(parent, W - 90, H - 80, 80, 20, kIdOpacityValue);
    opacityValueLabel.setText(percentText(settings.opacity));
    textScaleSlider.create(parent, W - 150, H - 110, 140, 25, kIdTextScaleSlider);
    textScaleSlider.setRange(kMinTextScale, kMaxTextScale);
    textScaleSlider.setValue(settings.textScale);
    textScaleValueLabel.create(parent, W - 90, H - 110, 80, 20, kIdTextScaleValue);
    textScaleValueLabel.setText(percentText(settings.textScale));
    statusLine.create(parent, 10, H - 40, size(W - 20), 20, kIdStatusLine);
    statusLine.setText(L"Connecting...");
    bossTitleLabel.create(parent, 0, 0, size(W), 30, kIdBossTitle);
    bossTitleLabel.setFontSize(14);
    hide(bossTitleLabel);
    cacheAgeLabel.create(parent, 0, 0, size(W), 20, kIdCacheAge);
    cacheAgeLabel.setFontSize(14);
    hide(cacheAgeLabel);
    spawnCountdownLabel.create(parent, 0, 0, 200, 20, kIdSpawnCountdown);
    hide(spawnCountdownLabel);
    opacityCaption.create(parent, 10, H - 100, 100, 20, kIdOpacityCaption);
    opacityCaption.setText(L"Transparency:");
    hide(opacityCaption);
    textScaleCaption.create(parent, 10, H - 130, 100, 20, kIdTextScaleCaption);
    textScaleCaption.setText(L"Text Scale:");
    hide(textScaleCaption);
    clickThroughButton.create(parent, 10, H - 160, size(W - 20), 20, kIdHotkeyClickThrough);
    showHideButton.create(parent, 10, H - 180, size(W - 20), 20, kIdHotkeyShowHide);
    bossMenuButton.create(parent, 10, H - 200, size(W - 20), 20, kIdHotkeyBossMenu);

    refreshHotkeyLabels();
    hide(clickThroughButton);
    hide(showHideButton);
    hide(bossMenuButton);

    channelList.setTextScale(settings.textScale);
    // A layered window shows nothing until its alpha is set.
    ::SetLayeredWindowAttributes(mainWindow, 0, opacityToAlpha(settings.opacity), LWA_ALPHA);
    ::SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    settingsPanelShown = isOwnWindow(mainWindow, ::GetFocus());

    clickThrough = settings.clickThroughMode;
    if (clickThrough) {
        applyClickThroughStyles(true);
        settingsPanelShown = false;
        channelList.setScrollBarEnabled(false);
    }
    layoutControls();
    snapToMonitor(mainWindow, clickThrough);
    makeIcons();
    startLiveWork();
}

void TrackerApp::layoutControls() {
    if (layoutFrozen || !mainWindow) return;
    RECT client{};
    ::GetClientRect(mainWindow, &client);
    const int W = client.right;
    const int H = client.bottom;

    // The rows below the selector follow its real height, so it is placed first and measured.
    int selectorHeight = 0;
    if (!clickThrough) {
        const LayoutRect selector = selectorBounds(W, H, false);
        bossSelector.setBounds(selector.x, selector.y, selector.width, selector.height);
        RECT placed{};
        if (::GetWindowRect(bossSelector.window(), &placed)) selectorHeight = placed.bottom - placed.top;
    }
    const MainLayout layout = layoutMainWindow(W, H, selectorHeight, clickThrough, settingsPanelShown);

    auto apply = [&](LayoutControl which, auto& control) {
        const Placement& placement = layout[which];
        if (placement.bounds) {
            const LayoutRect& r = *placement.bounds;
            control.setBounds(r.x, r.y, r.width, r.height);
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
    };
    apply(LayoutControl::BossSelector, bossSelector);
    apply(LayoutControl::StatusLine, statusLine);
    apply(LayoutControl::BossTitleLabel, bossTitleLabel);
    apply(LayoutControl::CacheAgeLabel, cacheAgeLabel);
    apply(LayoutControl::SpawnCountdownLabel, spawnCountdownLabel);
    apply(LayoutControl::ChannelList, channelList);
    apply(LayoutControl::BossMenuButton, bossMenuButton);
    apply(LayoutControl::ClickThroughButton, clickThroughButton);
    apply(LayoutControl::ShowHideButton, showHideButton);
    apply(LayoutControl::TextScaleCaption, textScaleCaption);
    apply(LayoutControl::TextScaleSlider, textScaleSlider);
    apply(LayoutControl::TextScaleValueLabel, textScaleValueLabel);
    apply(LayoutControl::OpacityCaption, opacityCaption);
    apply(LayoutControl::OpacitySlider, opacitySlider);
    apply(LayoutControl::OpacityValueLabel, opacityValueLabel);
    if (!clickThrough && settingsPanelShown) {
        opacityValueLabel.setText(percentText(opacitySlider.value()));
        textScaleValueLabel.setText(percentText(textScaleSlider.value()));
    }
}

void TrackerApp::onActivate(WPARAM wParam) {
    if (clickThrough) return;
    switch (LOWORD(wParam)) {
    case WA_INACTIVE:
        settingsPanelShown = false;
        break;
    case WA_ACTIVE:
    case WA_CLICKACTIVE:
        settingsPanelShown = true;
        break;
    default:
        return;
    }
    layoutControls();
}

void TrackerApp::onSetFocus() {
    if (clickThrough) return;
    settingsPanelShown = true;
    layoutControls();
}

void TrackerApp::onKillFocus() {
    // A notice box takes the focus on purpose; the capture it reports on goes on.
    if (!noticeOpen) cancelHotkeyCapture();
    if (clickThrough) return;
    if (!isOwnWindow(mainWindow, ::GetFocus())) {
        settingsPanelShown = false;
        layoutControls();
    }
}

void TrackerApp::onForegroundTimer() {
    if (clickThrough) return;
    const bool active = isOwnWindow(mainWindow, ::GetForegroundWindow());
    if (active == settingsPanelShown) return;
    settingsPanelShown = active;
    layoutControls();
}

void TrackerApp::onHorizontalScroll(LPARAM lParam) {
    cancelHotkeyCapture();
    HWND from = reinterpret_cast<HWND>(lParam);
    if (!from) return;
    if (from == opacitySlider.window()) {
        applyOpacity();
    } else if (from == textScaleSlider.window()) {
        applyTextScale();
    }
}

void TrackerApp::onLeftButtonDown() {
    if (capturing()) cancelHotkeyCapture();
}

void TrackerApp::applyOpacity() {
    const int value = opacitySlider.value();
    ::SetLayeredWindowAttributes(mainWindow, 0, opacityToAlpha(value), LWA_ALPHA);
    settings.setOpacity(value);  // reaches the file with the next save
    opacityValueLabel.setText(percentText(value));
}

void TrackerApp::applyTextScale() {
    const int value = textScaleSlider.value();
    settings.textScale = value;
    settings.save();
    textScaleValueLabel.setText(percentText(value));
    channelList.setTextScale(value);
}

void TrackerApp::applyClickThroughStyles(bool on) {
    const WindowStyles current{static_cast<uint32_t>(::GetWindowLongW(mainWindow, GWL_STYLE)),
                               static_cast<uint32_t>(::GetWindowLongW(mainWindow, GWL_EXSTYLE))};
    const WindowStyles next = clickThroughStyles(current, on);
    settingsPanelShown = on ? false : ::GetForegroundWindow() == mainWindow;
    RECT outer{};
    ::GetWindowRect(mainWindow, &outer);
    ::SetWindowLongW(mainWindow, GWL_STYLE, static_cast<LONG>(next.style));
    ::SetWindowLongW(mainWindow, GWL_EXSTYLE, static_cast<LONG>(next.exStyle));
    // The new frame takes effect with the outer rectangle kept, so the client grows by the
    // frame when the mode starts. Turning it on never activates the window.
    const UINT flags = SWP_FRAMECHANGED | SWP_SHOWWINDOW | (on ? SWP_NOACTIVATE : 0u);
    ::SetWindowPos(mainWindow, HWND_TOPMOST, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                   flags);
}

void TrackerApp::toggleClickThrough() {
    clickThrough = !clickThrough;
    applyClickThroughStyles(clickThrough);
    snapToMonitor(mainWindow, clickThrough);
    layoutControls();
    if (clickThrough) {
        channelList.scrollToTop();
        channelList.setScrollBarEnabled(false);
    } else {
        channelList.setScrollBarEnabled(true);
    }
    settings.clickThroughMode = clickThrough;
    settings.save();
}

void TrackerApp::toggleVisibility() {
    windowVisible = !windowVisible;
    if (!windowVisible) {
        ::ShowWindow(mainWindow, SW_HIDE);
        return;
    }
    ::ShowWindow(mainWindow, SW_SHOWNA);
    // Back on top without taking the activation, so the game keeps the keyboard.
    ::SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TrackerApp::toggleBossMenu() {
    if (bossSelector.itemCount() == 0) return;
    if (bossSelector.isOpen()) {
        bossSelector.closePopup();
        return;
    }
    layoutControls();  // the selector's rectangle is current, also while it is hidden
    bossSelector.showPopup();
}

void TrackerApp::onControlCommand(WPARAM wParam, LPARAM) {
    const WORD code = HIWORD(wParam);
    const WORD id = LOWORD(wParam);
    if (id == kIdBossSelector) {
        switch (code) {
        case CBN_CLOSEUP:
            layoutFrozen = false;
            layoutControls();
            break;
        case CBN_DROPDOWN:
            layoutFrozen = true;
            break;
        case CBN_SELCHANGE:
            cancelHotkeyCapture();
            onBossSelected();
            break;
        default:
            break;
        }
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case kIdHotkeyClickThrough:
        beginHotkeyCapture(HotkeyAction::ClickThrough);
        break;
    case kIdHotkeyShowHide:
        beginHotkeyCapture(HotkeyAction::ShowHide);
        break;
    case kIdHotkeyBossMenu:
        beginHotkeyCapture(HotkeyAction::BossMenu);
        break;
    default:
        break;
    }
}

}  // namespace mb
