// Spawn countdown from the UTC minutes and seconds past the hour.
#include "core/spawn_countdown.h"

#include "core/utc_time.h"

namespace mb {

std::optional<int32_t> secondsUntilSpawn(const Boss& boss, int64_t now) {
    if (boss.type == kNoCountdownType) return std::nullopt;
    if (boss.respawn_time != 0 && boss.respawn_time != 30) return std::nullopt;
    const std::optional<UtcTime> time = breakDownUtc(now);
    if (!time) return std::nullopt;
    const int32_t pastHour = time->minute * 60 + time->second;
    if (boss.respawn_time == 30 && pastHour < 1800) return 1800 - pastHour;
    return 3600 - pastHour;
}

std::wstring spawnCountdownText(const Boss& boss, int64_t now) {
    const std::optional<int32_t> remaining = secondsUntilSpawn(boss, now);
    return remaining ? countdownText(*remaining) : std::wstring();
}

std::wstring countdownText(int32_t remaining) {
    const int32_t minutes = remaining / 60;
    const std::wstring seconds = std::to_wstring(remaining % 60) + L"s";
    if (minutes > 0) return std::to_wstring(minutes) + L"m " + seconds;
    return seconds;
}

}  // namespace mb
