// The three system-wide hotkeys and their rebinding: registration with its warnings, the
// button labels, capturing a new combination from the next key-down, and what a hotkey
// does when it arrives (its action, or a "Duplicate Hotkey" notice during a capture).
#include "app/win/tracker_app.h"
#include "desktop/key_names.h"
#include "desktop/win/centered_message_box.h"

namespace mb {
namespace {

constexpr UINT kNoRepeat = 0x4000;  // MOD_NOREPEAT: a held combination fires once

constexpr HotkeyAction kActions[] = {HotkeyAction::ClickThrough, HotkeyAction::ShowHide, HotkeyAction::BossMenu};

int hotkeyId(HotkeyAction action) { return static_cast<int>(action) + 1; }

const wchar_t* registrationWarning(HotkeyAction action) {
    switch (action) {
    case HotkeyAction::ClickThrough:
        return L"Failed to register click-through hotkey. It may be in use by another application.";
    case HotkeyAction::ShowHide:
        return L"Failed to register visibility hotkey. It may be in use by another application.";
    case HotkeyAction::BossMenu:
        break;
    }
    return L"Failed to register boss menu hotkey. It may be in use by another application.";
}

}  // namespace

bool& TrackerApp::captureFlag(HotkeyAction action) {
    switch (action) {
    case HotkeyAction::ClickThrough:
        return capturingClickThrough;
    case HotkeyAction::ShowHide:
        return capturingShowHide;
    case HotkeyAction::BossMenu:
        break;
    }
    return capturingBossMenu;
}

CustomButton& TrackerApp::hotkeyButton(HotkeyAction action) {
    switch (action) {
    case HotkeyAction::ClickThrough:
        return clickThroughButton;
    case HotkeyAction::ShowHide:
        return showHideButton;
    case HotkeyAction::BossMenu:
        break;
    }
    return bossMenuButton;
}

HotkeyBinding TrackerApp::binding(HotkeyAction action) const {
    switch (action) {
    case HotkeyAction::ClickThrough:
        return {settings.clickThroughKey, settings.clickThroughMods};
    case HotkeyAction::ShowHide:
        return {settings.visibilityKey, settings.visibilityMods};
    case HotkeyAction::BossMenu:
        break;
    }
    return {settings.bossMenuKey, settings.bossMenuMods};
}

void TrackerApp::registerHotkeys() {
    for (HotkeyAction action : kActions) ::UnregisterHotKey(mainWindow, hotkeyId(action));
    // Each one is tried whatever happened to the one before.
    for (HotkeyAction action : kActions) {
        const HotkeyBinding bound = binding(action);
        if (!::RegisterHotKey(mainWindow, hotkeyId(action), bound.modifiers | kNoRepeat, bound.key)) {
            showCenteredMessageBox(mainWindow, registrationWarning(action), L"Warning", MB_ICONWARNING);
        }
    }
}

void TrackerApp::unregisterHotkeys() {
    for (HotkeyAction action : kActions) ::UnregisterHotKey(mainWindow, hotkeyId(action));
}

void TrackerApp::refreshHotkeyLabels() {
    for (HotkeyAction action : kActions) {
        const HotkeyBinding bound = binding(action);
        hotkeyButton(action).setText(hotkeyLabel(action, bound.modifiers, bound.key));
    }
}

void TrackerApp::beginHotkeyCapture(HotkeyAction action) {
    if (capturing()) cancelHotkeyCapture();  // also when the same button is clicked twice
    captureFlag(action) = true;
    hotkeyButton(action).setText(capturePrompt(action));
}

void TrackerApp::cancelHotkeyCapture() {
    if (!capturing()) return;
    capturingClickThrough = capturingShowHide = capturingBossMenu = false;
    refreshHotkeyLabels();
}

void TrackerApp::showHotkeyNotice(const wchar_t* text, const wchar_t* caption, UINT type) {
    // The box takes the focus; noticeOpen keeps that focus loss from ending the capture.
    noticeOpen = true;
    showCenteredMessageBox(mainWindow, text, caption, type);
    noticeOpen = false;
    for (HotkeyAction action : kActions) {
        if (captureFlag(action)) hotkeyButton(action).setText(capturePrompt(action));
    }
}

void TrackerApp::captureHotkey(WPARAM key, HotkeyAction action) {
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;  // a modifier alone keeps waiting
    uint32_t modifiers = 0;
    if (::GetAsyncKeyState(VK_CONTROL) < 0) modifiers |= MOD_CONTROL;
    if (::GetAsyncKeyState(VK_SHIFT) < 0) modifiers |= MOD_SHIFT;
    if (::GetAsyncKeyState(VK_MENU) < 0) modifiers |= MOD_ALT;
    if (modifiers == 0) {
        showHotkeyNotice(L"Please press at least one modifier key (Ctrl, Shift, or Alt) along with a key.",
                         L"Modifier Required", MB_ICONINFORMATION);
        return;
    }
    captureFlag(action) = false;
    const uint32_t code = static_cast<uint32_t>(key);
    switch (action) {
    case HotkeyAction::ClickThrough:
        settings.clickThroughKey = code;
        settings.clickThroughMods = modifiers;
        break;
    case HotkeyAction::ShowHide:
        settings.visibilityKey = code;
        settings.visibilityMods = modifiers;
        break;
    case HotkeyAction::BossMenu:
        settings.bossMenuKey = code;
        settings.bossMenuMods = modifiers;
        break;
    }
    settings.save();
    refreshHotkeyLabels();
    registerHotkeys();
}

bool TrackerApp::onKeyDown(WPARAM key) {
    for (HotkeyAction action : kActions) {
        if (!captureFlag(action)) continue;
        if (key == VK_ESCAPE) {
            cancelHotkeyCapture();
        } else {
            captureHotkey(key, action);
        }
        return true;
    }
    return false;
}

bool TrackerApp::onHotkey(WPARAM id) {
    if (capturing()) {
        // The system caught a combination this program holds: refuse it, keep capturing.
        showHotkeyNotice(
            L"This key combination is already assigned to another action.\n\n"
            L"Please choose a different key combination.\n(Press ESC to cancel)",
            L"Duplicate Hotkey", MB_ICONWARNING);
        return true;
    }
    switch (id) {
    case 1:
        toggleClickThrough();
        return true;
    case 2:
        toggleVisibility();
        return true;
    case 3:
        toggleBossMenu();
        return true;
    default:
        return false;
    }
}

}  // namespace mb
