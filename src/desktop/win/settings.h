// The persisted record of the overlay: window rectangle, look, hotkeys and last boss, kept in
// "Marrowbell.ini" and handled through the profile-file functions. The file lives next to the
// executable, or in %LOCALAPPDATA%\Marrowbell when the executable's folder cannot be written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/win/event_log.h"
#include "desktop/alert_settings.h"
#include "desktop/key_names.h"
#include "desktop/network_settings.h"
#include "desktop/settings_values.h"

namespace mb {

class Settings {
public:
    // The file chosen at start-up (startupPath) between "Marrowbell.ini" beside the executable
    // and the one in %LOCALAPPDATA%\Marrowbell, which is also the fallback.
    Settings();
    // Another file, with %LOCALAPPDATA%\Marrowbell\Marrowbell.ini as its fallback.
    explicit Settings(std::wstring path);
    // Another file and another fallback; an empty fallback means none. Tests use it so that
    // they never touch the real %LOCALAPPDATA%.
    Settings(std::wstring path, std::wstring fallback);

    // Reads the file into the record; a missing file keeps every default. Always true.
    bool load();
    // Writes the whole record (never the read-only sections). A file another program holds
    // open is tried again for a moment; when it stays held, false, and the record waits in
    // memory for the next save. Only when the folder refuses a new file, or the file itself
    // refuses writing, do the settings move to the fallback: it gets a copy of the current
    // file, so nothing in it is lost, then the whole record, and settingsPath names it from
    // then on. True when every key was written somewhere.
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

    // The address chosen in the "Tracker address" dialog: written as TrackerUrl of "Network" (the
    // one key of that section the program writes, and only from there) with the whole record,
    // or that key removed for an empty address, which means the built-in one. The record follows
    // at once. False when the file could not be written.
    bool saveTrackerUrl(const std::string& url);

    // Where this run's save failures and a move to the fallback are told; the log moves along.
    void setLog(std::shared_ptr<EventLog> log) { log_ = std::move(log); }
    // Why the file in use is not the one beside the executable; empty when it is.
    std::string locationReason() const;

    // Reads only the "Network" section (load does it too); for what is built before load.
    // Like load, it first takes a UTF-8 mark off the start of the file (see dropUtf8Mark).
    void loadNetwork();
    // Reads only the "Alerts" section (load does it too, after "Network"); never written.
    void loadAlerts();

    // Folder of the running executable, without a trailing backslash.
    static std::wstring executableFolder();
    // %LOCALAPPDATA%\Marrowbell\Marrowbell.ini; empty when the folder cannot be found.
    static std::wstring localAppDataPath();
    // The file to read at start-up: of besideExe and the fallback (made from it by an earlier
    // save that could not write there) the one written last; besideExe when neither exists.
    static std::wstring startupPath(const std::wstring& besideExe, const std::wstring& fallback);

    std::wstring settingsPath;
    std::wstring fallbackPath;  // where save moves the settings when settingsPath cannot be written
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
    std::string lastBoss;  // UTF-8

    // "HighDpi" of "Window", read and never written: the window follows its monitor's DPI
    // (per-monitor awareness) instead of letting Windows stretch it.
    bool highDpi = false;
    // Read from "Network" only; the defaults stand unless the file holds a usable value.
    std::string trackerUrl{kDefaultTrackerUrl};
    bool trackerUrlInvalid = false;   // the file holds a TrackerUrl that cannot be used
    bool trackerUrlFromFile = false;  // the address in use is the file's, not the built-in one
    TrackerAddress trackerAddress() const;
    std::vector<NtpServerAddress> ntpServers;  // empty: the clock's own servers
    // Read from "Alerts" only; every alert is off unless the file turns it on.
    AlertSettings alerts;

private:
    // A file saved as "UTF-8 with BOM" is rewritten once without its first three bytes, the
    // rest byte for byte (a new file beside it, then moved over it), so that the profile
    // functions read its first section and later writes add no mark back. When it cannot be
    // rewritten in place, the copy goes to the fallback, which is used from then on.
    void dropUtf8Mark();
    // Points settingsPath at the fallback after a copy of the current file (without a mark);
    // false when there is no fallback to move to.
    bool moveToFallback();
    // A fallback exists and is another file than settingsPath.
    bool fallbackIsElsewhere() const;
    // Every key into settingsPath; true when every write succeeded.
    bool writeRecord() const;

    std::shared_ptr<EventLog> log_;
    bool movedThisRun_ = false;  // a save or the mark's removal sent the file to the fallback
};

}  // namespace mb
