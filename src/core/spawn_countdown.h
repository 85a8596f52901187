// Time until a boss's next spawn: every full hour (respawn_time 0) or every full and half
// hour (respawn_time 30), from the UTC minutes and seconds of now.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/tracker_records.h"

namespace mb {

// The boss kind that has no spawn countdown.
inline constexpr char kNoCountdownType[] = "magical_creature";

// Seconds until the next spawn, 1 to 3600; nothing for the kind above, for any other
// respawn_time, or for a now that cannot be broken down.
std::optional<int32_t> secondsUntilSpawn(const Boss& boss, int64_t now);

// "%dm %ds" from a minute on, else "%ds"; empty when there is no countdown.
std::wstring spawnCountdownText(const Boss& boss, int64_t now);

// The same text for a number of remaining seconds.
std::wstring countdownText(int32_t remaining);

}  // namespace mb
