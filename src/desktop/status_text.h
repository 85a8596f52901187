// Texts of the two feed-health labels: the status line (connection, request sizes, activity
// dots, time of the last clock synchronisation) and the age of the server's cached data.
#pragma once

#include <cstdint>
#include <string>

namespace mb {

// "Disconnected" for any state other than Connected (any value may arrive), else "\u25CF Connected | \u2193 R B/req
// \u2191 T B/req" (both in KB, truncated, once either reaches 1024), then the dots of dotPhase
// (taken modulo 3) and the clock suffix: " | NTP: Syncing..." for syncedTime 0,
// " | NTP: Error" when it cannot be broken down, else " | NTP: hh:mm:ss UTC".
std::wstring statusLineText(int32_t connectionState, uint64_t lastBytesReceived, uint64_t lastBytesSent,
                            int32_t dotPhase, int64_t syncedTime);

// "Cache: ---" when unknown (NaN, negative) or over a day; "%.2fs" below 1 s, "%.1fs" below a
// minute, "%dm %ds" below an hour, else "%dh %dm".
std::wstring cacheAgeText(double seconds);

}  // namespace mb
