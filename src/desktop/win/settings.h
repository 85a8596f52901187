// The persisted record of the overlay: window rectangle, look, hotkeys and last boss, kept in
// "Marrowbell.ini" next to the executable and handled only through the profile-file functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/network_settings.h"
#include "desktop/settings_values.h"

namespace mb {

class Settings {
public:
    // The file "Marrowbell.ini" in the folder of the executable.
    Settings();
    // Another file; for tests and tools that must not touch the real one.
    explicit Settings(std::wstring path);

    // Reads the file into the record; a missing file keeps every default. Always true.
    bool load();
    // Writes the whole record (never the "Network" section). Always true.
    bool save() const;

    void setOpacity(int32_t value) { opacity = clampOpacity(value); }
    void setWindowRect(int32_t l, int32_t t, int32_t r, int32_t b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }

    // Reads only the "Network" section (load does it too); for what is built before load.
    void loadNetwork();

    // Folder of the running executable, without a trailing backslash.
    static std::wstring executableFolder();

    std::wstring settingsPath;
    int32_t left = SettingsDefaults::left;
    int32_t top = SettingsDefaults::top;
    int32_t right = SettingsDefaults::right;
    int32_t bottom = SettingsDefaults::bottom;
    int32_t opacity = SettingsDefaults::opacity;
    int32_t textScale = SettingsDefaults::textScale;
    bool clickThroughMode = false;
    uint32_t clickThroughKey = SettingsDefaults::clickThroughKey;
    uint32_t clickThroughMods = SettingsDefaults::clickThroughMods;
    uint32_t visibilityKey = SettingsDefaults::visibilityKey;
    uint32_t visibilityMods = SettingsDefaults::visibilityMods;
    uint32_t bossMenuKey = SettingsDefaults::bossMenuKey;
    uint32_t bossMenuMods = SettingsDefaults::bossMenuMods;
    std::string lastBoss;  // UTF-8

    // Read from "Network" only; the defaults stand unless the file holds a usable value.
    std::string trackerUrl{kDefaultTrackerUrl};
    std::vector<NtpServerAddress> ntpServers;  // empty: the clock's own servers
};

}  // namespace mb
