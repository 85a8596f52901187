// The text of the "Marrowbell status" box: one fact a line, so that a player can read why the
// overlay does not work, or copy it (Ctrl+C) to whoever runs the tracker.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mb {

struct StatusFacts {
    std::string version;  // "Marrowbell v1.5.1"
    std::string trackerUrl;
    bool trackerFromFile = false;  // Marrowbell.ini names it; otherwise it is built in
    bool connected = false;
    int64_t connectionSince = 0;           // Unix seconds of the PC clock
    std::string failure;                   // the last failing call and its cause, while disconnected
    std::optional<double> dataAgeSeconds;  // since poll data was last applied; none yet
    double cacheAgeSeconds = -1.0;         // the server's; below 0 while unknown
    std::string timeServer;                // of the last synchronisation; empty before one
    std::optional<int64_t> clockOffset;    // the PC clock minus the server's, seconds
    int64_t syncedTime = 0;                // of the last synchronisation; 0 before one
    int64_t clockFailedTime = 0;           // of the last round no server answered; 0 none
    std::string settingsPath;
    std::string settingsReason;  // why it is not the file beside Marrowbell.exe; empty when it is
    struct Hotkey {
        std::string label;  // "Show/Hide: Ctrl+B"
        bool failed = false;
    };
    std::vector<Hotkey> hotkeys;
    int dpi = 96;
    bool perMonitorDpi = false;
    std::string logPath;
};

// "16:05:12 UTC"; "--:--:-- UTC" for a time the CRT cannot break down.
std::string clockTimeText(int64_t unixSeconds);

// Every fact on its own line, UTF-8, lines ended by "\n".
std::string statusReportText(const StatusFacts& facts);

}  // namespace mb
