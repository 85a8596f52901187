#include "desktop/status_report.h"

#include <cstdio>

#include "core/utc_time.h"

namespace mb {
namespace {

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.1f s" : "%.0f s", value);
    return text;
}

std::string clockLine(const StatusFacts& facts) {
    std::string line = "Clock: ";
    if (facts.syncedTime == 0) {
        line += "not synchronised yet, the PC clock is used";
    } else {
        const int64_t offset = facts.clockOffset.value_or(0);
        line += facts.timeServer + ", the PC clock ";
        line += offset == 0
                    ? std::string("matches it")
                    : "is " + std::to_string(offset < 0 ? -offset : offset) + " s " + (offset > 0 ? "ahead" : "behind");
        line += ", synchronised at " + clockTimeText(facts.syncedTime);
    }
    // A failure after the last success (the server's time and the PC's differ by the offset).
    if (facts.clockFailedTime != 0 && facts.clockFailedTime - facts.clockOffset.value_or(0) >= facts.syncedTime) {
        line += "; no time server answered at " + clockTimeText(facts.clockFailedTime);
    }
    return line;
}

}  // namespace

std::string clockTimeText(int64_t unixSeconds) {
    const std::optional<UtcTime> time = breakDownUtc(unixSeconds);
    if (!time) return "--:--:-- UTC";
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d UTC", time->hour, time->minute, time->second);
    return text;
}

std::string statusReportText(const StatusFacts& facts) {
    // Appended piece by piece (GCC 12 warns wrongly about a literal put before a temporary).
    std::string text = facts.version;
    text += "\nTracker: ";
    text += facts.trackerUrl;
    text += facts.trackerFromFile ? " (from Marrowbell.ini)" : " (built in)";
    text += facts.connected ? "\nConnected since " : "\nDisconnected since ";
    text += clockTimeText(facts.connectionSince);
    if (!facts.connected && !facts.failure.empty()) text.append(": ").append(facts.failure);
    text += "\nData: ";
    if (facts.dataAgeSeconds) {
        text.append("applied ").append(seconds(*facts.dataAgeSeconds)).append(" ago");
    } else {
        text += "none yet";
    }
    if (facts.cacheAgeSeconds >= 0) {
        text.append(", server cache ").append(seconds(facts.cacheAgeSeconds)).append(" old");
    } else {
        text += ", server cache age unknown";
    }
    text.append("\n").append(clockLine(facts));
    text.append("\nSettings: ").append(facts.settingsPath);
    if (!facts.settingsReason.empty())
        text.append("\n  (not beside Marrowbell.exe: ").append(facts.settingsReason) += ")";
    text += "\nHotkeys:";
    for (size_t i = 0; i < facts.hotkeys.size(); ++i) {
        text.append(i == 0 ? " " : "; ").append(facts.hotkeys[i].label);
        if (facts.hotkeys[i].failed) text += " (could not be registered)";
    }
    text.append("\nDisplay: ").append(std::to_string(facts.dpi)).append(" DPI, per-monitor awareness ");
    text += facts.perMonitorDpi ? "on" : "off";
    text.append("\nLog: ").append(facts.logPath) += "\n";
    return text;
}

}  // namespace mb
