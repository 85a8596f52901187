// Status line and cache-age texts, composed from plain values.
#include "desktop/status_text.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "core/tracker_records.h"
#include "core/utc_time.h"
#include "core/widen_bytes.h"

namespace mb {
namespace {

constexpr uint64_t kKilobyte = 1024;
constexpr double kLongestCacheAge = 86400.0;

std::wstring clockSuffix(int64_t syncedTime) {
    if (syncedTime == 0) return L" | NTP: Syncing...";
    const std::optional<UtcTime> time = breakDownUtc(syncedTime);
    if (!time) return L" | NTP: Error";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, " | NTP: %02d:%02d:%02d UTC", static_cast<int>(time->hour),
                  static_cast<int>(time->minute), static_cast<int>(time->second));
    return widenBytes(buffer);
}

std::wstring dots(int32_t dotPhase) {
    const int32_t phase = (dotPhase % 3 + 3) % 3;
    return std::wstring(static_cast<size_t>(phase) + 1, L'.');
}

}  // namespace

std::wstring statusLineText(int32_t connectionState, uint64_t lastBytesReceived, uint64_t lastBytesSent,
                            int32_t dotPhase, int64_t syncedTime) {
    if (connectionState != Connected) return L"Disconnected" + clockSuffix(syncedTime);
    // One unit for both numbers: kilobytes as soon as either reaches 1024 bytes.
    const bool inKilobytes = lastBytesReceived >= kKilobyte || lastBytesSent >= kKilobyte;
    const uint64_t received = inKilobytes ? lastBytesReceived / kKilobyte : lastBytesReceived;
    const uint64_t sent = inKilobytes ? lastBytesSent / kKilobyte : lastBytesSent;
    const wchar_t* unit = inKilobytes ? L" KB/req" : L" B/req";
    return L"\u25CF Connected | \u2193 " + std::to_wstring(received) + unit + L" \u2191 " + std::to_wstring(sent) +
           unit + dots(dotPhase) + clockSuffix(syncedTime);
}

std::wstring cacheAgeText(double seconds) {
    if (std::isnan(seconds) || seconds < 0.0 || seconds > kLongestCacheAge) return L"Cache: ---";
    // A server's "-0.0" passes the range test but would print as "-0.00s".
    if (seconds == 0.0) seconds = 0.0;
    char buffer[64];
    if (seconds < 1.0) {
        std::snprintf(buffer, sizeof buffer, "Cache: %.2fs", seconds);
    } else if (seconds < 60.0) {
        std::snprintf(buffer, sizeof buffer, "Cache: %.1fs", seconds);
    } else if (seconds < 3600.0) {
        // Both numbers from the whole seconds, so they always agree (59m 59s up to 3600).
        const int whole = static_cast<int>(seconds);
        std::snprintf(buffer, sizeof buffer, "Cache: %dm %ds", whole / 60, whole % 60);
    } else {
        const int hours = static_cast<int>(seconds / 3600.0);
        const int minutes = static_cast<int>((seconds - 3600.0 * hours) / 60.0);
        std::snprintf(buffer, sizeof buffer, "Cache: %dh %dm", hours, minutes);
    }
    return widenBytes(buffer);
}

}  // namespace mb
