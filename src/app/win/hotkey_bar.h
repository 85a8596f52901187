// The three system-wide hotkeys and their buttons in the settings panel: registration with its
// warnings, the button labels, capturing a new combination from the next key-down, and what a
// hotkey means when it arrives. The bindings live in the settings, which a capture saves.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "controls/win/custom_button.h"
#include "core/win/event_log.h"
#include "desktop/key_names.h"
#include "desktop/win/settings.h"
#include "desktop/window_layout.h"

namespace mb {

class HotkeyBar {
public:
    explicit HotkeyBar(Settings& settings) : settings_(settings) {}

    // The three buttons at zero size, with their labels; window receives the hotkeys.
    void create(HWND window);
    void place(const MainLayout& layout);
    void setDpi(int dpi) {
        for (CustomButton& button : buttons_) button.setDpi(dpi);
    }

    // Each failure shows its "Warning" box and is logged (log may be null).
    void registerHotkeys();
    void unregisterHotkeys();
    void setLog(EventLog* log) { log_ = log; }
    // The registration of the action's combination failed (last registerHotkeys).
    bool registrationFailed(HotkeyAction action) const { return failed_[actionIndex(action)]; }
    void refreshHotkeyLabels();

    // The action whose button has this control id.
    static std::optional<HotkeyAction> actionOfButton(int id);
    void beginHotkeyCapture(HotkeyAction action);
    void cancelHotkeyCapture();
    bool capturing() const { return capture_.has_value(); }
    std::optional<HotkeyAction> capture() const { return capture_; }

    // WM_KEYDOWN: during a capture Escape cancels it and any other key is taken (captureHotkey).
    // False without a capture: the key goes on to default processing.
    bool onKeyDown(WPARAM key);
    // WM_HOTKEY during a capture: the combination belongs to this program already. "Duplicate
    // Hotkey" says so and the capture goes on; nothing is run.
    void refuseDuplicate();
    // The action of a WM_HOTKEY id (1, 2 or 3).
    static std::optional<HotkeyAction> actionOfHotkey(WPARAM id);
    // WM_KILLFOCUS: the capture ends, unless one of its own notice boxes took the focus.
    void onFocusLost();

    const CustomButton& button(HotkeyAction action) const { return buttons_[actionIndex(action)]; }

private:
    void captureHotkey(WPARAM key, HotkeyAction action);
    // A "Modifier Required" or "Duplicate Hotkey" box; the capture goes on behind it.
    void showNotice(const wchar_t* text, const wchar_t* caption, UINT type);

    Settings& settings_;
    HWND window_ = nullptr;
    std::array<CustomButton, kHotkeyActionCount> buttons_;
    std::optional<HotkeyAction> capture_;
    std::array<bool, kHotkeyActionCount> failed_{};
    EventLog* log_ = nullptr;
    bool noticeOpen_ = false;  // a notice box is up; its focus loss keeps the capture
};

}  // namespace mb
