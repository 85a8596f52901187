// What Marrowbell.ini says about how the overlay starts, read once: the tracker and time servers
// ("Network"), the alerts ("Alerts") and "HighDpi" of "Window". The program never writes any of
// it, but for TrackerUrl from the "Tracker address" dialog.
#pragma once

#include <string>
#include <vector>

#include "clock/ntp_server.h"
#include "desktop/alert_settings.h"
#include "desktop/network_settings.h"
#include "desktop/win/settings_store.h"

namespace mb {

struct StartupConfig {
    // The file's values; the defaults stand unless it holds a usable one.
    static StartupConfig read(const std::wstring& path);

    // The window follows its monitor's DPI (per-monitor awareness) instead of letting Windows
    // stretch it; only an explicit 1 turns it on.
    bool highDpi = false;
    std::string trackerUrl{kDefaultTrackerUrl};
    bool trackerUrlInvalid = false;     // the file holds a TrackerUrl that cannot be used
    bool trackerUrlFromFile = false;    // the address in use is the file's, not the built-in one
    std::vector<NtpServer> ntpServers;  // empty: the clock's own servers
    AlertSettings alerts;               // every alert off unless the file turns it on

    TrackerAddress trackerAddress() const;

    // The address chosen in the "Tracker address" dialog, written as TrackerUrl of "Network",
    // or that key removed for an empty address, which means the built-in one. The values here
    // follow at once. False when the file could not be written.
    bool saveTrackerUrl(SettingsStore& store, const std::string& url);
};

}  // namespace mb
