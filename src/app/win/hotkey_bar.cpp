#include "app/win/hotkey_bar.h"

#include "app/app_constants.h"
#include "app/win/placement.h"
#include "core/win/utf8.h"
#include "desktop/win/centered_message_box.h"

namespace mb {
namespace {

constexpr UINT kNoRepeat = 0x4000;  // MOD_NOREPEAT: a held combination fires once

// Each action's button: its control id and its place in the layout. The hotkey id of an action
// is its index plus one.
struct ButtonOf {
    int id;
    LayoutControl place;
};
constexpr ButtonOf kButtons[kHotkeyActionCount] = {
    {kIdHotkeyClickThrough, LayoutControl::ClickThroughButton},
    {kIdHotkeyVisibility, LayoutControl::VisibilityButton},
    {kIdHotkeyBossMenu, LayoutControl::BossMenuButton},
};

int hotkeyId(HotkeyAction action) { return static_cast<int>(actionIndex(action)) + 1; }

}  // namespace

void HotkeyBar::create(HWND window) {
    window_ = window;
    for (HotkeyAction action : kHotkeyActions) {
        buttons_[actionIndex(action)].create(window, 0, 0, 0, 0, kButtons[actionIndex(action)].id);
    }
    refreshHotkeyLabels();
}

void HotkeyBar::place(const MainLayout& layout) {
    for (HotkeyAction action : kHotkeyActions) {
        applyPlacement(buttons_[actionIndex(action)], layout[kButtons[actionIndex(action)].place]);
    }
}

void HotkeyBar::registerHotkeys() {
    unregisterHotkeys();
    // Each one is tried whatever happened to the one before.
    for (HotkeyAction action : kHotkeyActions) {
        const HotkeyBinding bound = settings_.hotkey(action);
        failed_[actionIndex(action)] = !::RegisterHotKey(window_, hotkeyId(action), bound.modifiers | kNoRepeat,
                                                         bound.key);
        if (!failed_[actionIndex(action)]) continue;
        const DWORD error = ::GetLastError();
        if (log_) {
            log_->write("Hotkey " + wideToUtf8(hotkeyLabel(action, bound)) + " could not be registered (error " +
                        std::to_string(error) + ")");
        }
        showCenteredMessageBox(window_, registrationWarning(action).c_str(), L"Warning", MB_ICONWARNING);
    }
}

void HotkeyBar::unregisterHotkeys() {
    for (HotkeyAction action : kHotkeyActions) ::UnregisterHotKey(window_, hotkeyId(action));
}

void HotkeyBar::refreshHotkeyLabels() {
    for (HotkeyAction action : kHotkeyActions) {
        buttons_[actionIndex(action)].setText(hotkeyLabel(action, settings_.hotkey(action)));
    }
}

std::optional<HotkeyAction> HotkeyBar::actionOfButton(int id) {
    for (HotkeyAction action : kHotkeyActions) {
        if (kButtons[actionIndex(action)].id == id) return action;
    }
    return std::nullopt;
}

void HotkeyBar::beginHotkeyCapture(HotkeyAction action) {
    cancelHotkeyCapture();  // also when the same button is clicked twice
    capture_ = action;
    buttons_[actionIndex(action)].setText(capturePrompt(action));
}

void HotkeyBar::cancelHotkeyCapture() {
    if (!capture_) return;
    capture_.reset();
    refreshHotkeyLabels();
}

void HotkeyBar::onFocusLost() {
    if (!noticeOpen_) cancelHotkeyCapture();
}

void HotkeyBar::showNotice(const wchar_t* text, const wchar_t* caption, UINT type) {
    // The box takes the focus; noticeOpen_ keeps that focus loss from ending the capture.
    noticeOpen_ = true;
    showCenteredMessageBox(window_, text, caption, type);
    noticeOpen_ = false;
    if (capture_) buttons_[actionIndex(*capture_)].setText(capturePrompt(*capture_));
}

void HotkeyBar::captureHotkey(WPARAM key, HotkeyAction action) {
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;  // a modifier alone keeps waiting
    uint32_t modifiers = 0;
    if (::GetAsyncKeyState(VK_CONTROL) < 0) modifiers |= MOD_CONTROL;
    if (::GetAsyncKeyState(VK_SHIFT) < 0) modifiers |= MOD_SHIFT;
    if (::GetAsyncKeyState(VK_MENU) < 0) modifiers |= MOD_ALT;
    if (modifiers == 0) {
        showNotice(L"Please press at least one modifier key (Ctrl, Shift, or Alt) along with a key.",
                   L"Modifier Required", MB_ICONINFORMATION);
        return;
    }
    capture_.reset();
    settings_.setHotkey(action, {static_cast<uint32_t>(key), modifiers});
    settings_.save();
    refreshHotkeyLabels();
    registerHotkeys();
}

bool HotkeyBar::onKeyDown(WPARAM key) {
    if (!capture_) return false;
    if (key == VK_ESCAPE) {
        cancelHotkeyCapture();
    } else {
        captureHotkey(key, *capture_);
    }
    return true;
}

void HotkeyBar::refuseDuplicate() {
    showNotice(
        L"This key combination is already assigned to another action.\n\n"
        L"Please choose a different key combination.\n(Press ESC to cancel)",
        L"Duplicate Hotkey", MB_ICONWARNING);
}

std::optional<HotkeyAction> HotkeyBar::actionOfHotkey(WPARAM id) {
    for (HotkeyAction action : kHotkeyActions) {
        if (static_cast<WPARAM>(hotkeyId(action)) == id) return action;
    }
    return std::nullopt;
}

}  // namespace mb
