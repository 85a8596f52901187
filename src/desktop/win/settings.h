// The player's preferences, the record the program keeps in "Marrowbell.ini": window rectangle,
// look, hotkeys and last boss, read and written through the profile-file functions in the file
// its store names (settings_store.h). The read-only part of the file is StartupConfig.
#pragma once

#include <cstdint>
#include <string>

#include "core/dpi_scale.h"
#include "desktop/key_names.h"
#include "desktop/settings_values.h"
#include "desktop/win/settings_store.h"

namespace mb {

class Settings {
public:
    explicit Settings(SettingsStore& store) : store_(store) {}

    // Reads the file into the record; a missing file keeps every default. Always true.
    bool load();
    // Writes the whole record (never the read-only sections) through the store: true when
    // every key was written somewhere; otherwise the record waits in memory for the next save.
    bool save();

    void setOpacity(int32_t value) { opacity = clampOpacity(value); }
    // The key and modifier fields of a hotkey action.
    HotkeyBinding hotkey(HotkeyAction action) const;
    void setHotkey(HotkeyAction action, HotkeyBinding binding);
    HotkeyBindings hotkeys() const;
    void setWindowRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t dpi) {
        left = l;
        top = t;
        right = r;
        bottom = b;
        rectDpi = validRectDpi(dpi);
    }

    int32_t left = SettingsDefaults::left;
    int32_t top = SettingsDefaults::top;
    int32_t right = SettingsDefaults::right;
    int32_t bottom = SettingsDefaults::bottom;
    int32_t rectDpi = kDesignDpi;  // the DPI the rectangle was taken at (written with it)
    int32_t opacity = SettingsDefaults::opacity;
    int32_t textScale = SettingsDefaults::textScale;
    bool clickThroughMode = false;
    uint32_t clickThroughKey = SettingsDefaults::clickThroughKey;
    uint32_t clickThroughMods = SettingsDefaults::clickThroughMods;
    uint32_t visibilityKey = SettingsDefaults::visibilityKey;
    uint32_t visibilityMods = SettingsDefaults::visibilityMods;
    uint32_t bossMenuKey = SettingsDefaults::bossMenuKey;
    uint32_t bossMenuMods = SettingsDefaults::bossMenuMods;
    std::string lastBoss;    // UTF-8
    bool allBosses = false;  // the view of every boss, not of lastBoss ("View" of "Selection")

private:
    // Every key into path; true when every write succeeded.
    bool writeRecord(const std::wstring& path) const;

    SettingsStore& store_;
};

}  // namespace mb
