// The spawn countdown at the hour and half-hour edges, and the bosses that have none.
#include "core/spawn_countdown.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

constexpr int64_t kNoon = 1764590400;  // 2025-12-01 12:00:00 UTC

TEST(SpawnCountdown, CountsToTheNextFullOrHalfHour) {
    const struct {
        int32_t respawn;
        const char* type;
        int64_t now;
        const wchar_t* text;
    } cases[] = {
        {0, "b", kNoon + 3570, L"30s"},
        {0, "b", kNoon, L"60m 0s"},
        {0, "b", kNoon + 3599, L"1s"},
        {0, "b", kNoon + 3540, L"1m 0s"},
        {30, "b", kNoon + 1, L"29m 59s"},
        {30, "b", kNoon + 1801, L"29m 59s"},
        {30, "b", kNoon + 1800, L"30m 0s"},
        {30, "b", kNoon + 1799, L"1s"},
        {0, "b", 0, L"60m 0s"},
        {15, "b", kNoon, L""},
        {0, "magical_creature", kNoon, L""},
        {30, "magical_creature", 0, L""},
        {0, "b", -1, L""},
        {0, "b", 32535216000, L""},  // outside what the runtime breaks down
    };
    for (const auto& c : cases) {
        const Boss boss{"id", "name", 0, c.respawn, c.type};
        EXPECT_EQ(spawnCountdownText(boss, c.now), c.text) << c.now << " respawn " << c.respawn;
        EXPECT_EQ(secondsUntilSpawn(boss, c.now).has_value(), *c.text != L'\0') << c.now;
    }
}

}  // namespace
}  // namespace mb
