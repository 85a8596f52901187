// The "Alerts" section of the settings file: which alerts the overlay raises and whether they
// sound. Only read, never written. Every alert is off unless the file turns it on; a value
// that does not pass these checks never surprises: a threshold turns off, the sound stays on.
#pragma once

#include <cstdint>
#include <string_view>

namespace mb {

struct AlertSettings {
    int32_t spawnLeadSeconds = 0;    // alert this long before the selected boss spawns; 0 off
    int32_t healthBelowPercent = 0;  // alert when a fresh report falls below this; 0 off
    int32_t clockWarnSeconds = 0;    // warn once when the PC clock is further off than this; 0 off
    bool sound = true;               // an alert also plays the system's notification sound

    bool anyOn() const { return spawnLeadSeconds > 0 || healthBelowPercent > 0 || clockWarnSeconds > 0; }
};

// The accepted ranges of the three thresholds (0 always means off).
inline constexpr int32_t kMinSpawnLead = 10, kMaxSpawnLead = 1800;
inline constexpr int32_t kMinHealthBelow = 1, kMaxHealthBelow = 99;
inline constexpr int32_t kMinClockWarn = 1, kMaxClockWarn = 3600;

// A decimal whole number from low to high, blanks around it allowed; anything else (empty,
// 0, out of range, a sign, a fraction, trailing text) gives 0, off.
int32_t parseAlertThreshold(std::string_view text, int32_t low, int32_t high);

// The number 0 turns the sound off; 1, an absent value and anything else leave it on.
bool parseAlertSound(std::string_view text);

}  // namespace mb
