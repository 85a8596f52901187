// The status line and cache-age texts at their unit, phase and range edges.
#include "desktop/status_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mb {
namespace {

TEST(StatusText, StatusLineShowsStateSizesDotsAndClock) {
    const std::wstring on = L"\u25CF Connected | \u2193 ";
    const struct {
        int32_t state;
        uint64_t received, sent;
        int32_t dots;
        int64_t synced;
        std::wstring text;
    } cases[] = {
        {2, 523, 180, 1, 1764592496, on + L"523 B/req \u2191 180 B/req.. | NTP: 12:34:56 UTC"},
        {2, 5000, 180, 1, 1764592496, on + L"4 KB/req \u2191 0 KB/req.. | NTP: 12:34:56 UTC"},
        {2, 1023, 1023, 0, 0, on + L"1023 B/req \u2191 1023 B/req. | NTP: Syncing..."},
        {2, 1024, 100, 2, 0, on + L"1 KB/req \u2191 0 KB/req... | NTP: Syncing..."},
        {2, 100, 1024, 0, 0, on + L"0 KB/req \u2191 1 KB/req. | NTP: Syncing..."},
        // Counts beyond 32 bits are printed whole.
        {2, UINT64_MAX, 5ULL << 40, 0, 0, on + L"18014398509481983 KB/req \u2191 5368709120 KB/req. | NTP: Syncing..."},
        // A phase outside 0 to 2 is taken modulo 3, never negative.
        {2, 1, 2, 3, 0, on + L"1 B/req \u2191 2 B/req. | NTP: Syncing..."},
        {2, 1, 2, -1, 0, on + L"1 B/req \u2191 2 B/req... | NTP: Syncing..."},
        {2, 1, 2, INT32_MIN, 0, on + L"1 B/req \u2191 2 B/req.. | NTP: Syncing..."},
        {0, 523, 180, 1, 1764592496, L"Disconnected | NTP: 12:34:56 UTC"},
        {1, 523, 180, 1, 0, L"Disconnected | NTP: Syncing..."},
        {0, 0, 0, 0, -5, L"Disconnected | NTP: Error"},
        {2, 0, 0, 0, 32535216000, on + L"0 B/req \u2191 0 B/req. | NTP: Error"},
    };
    for (const auto& c : cases) EXPECT_EQ(statusLineText(c.state, c.received, c.sent, c.dots, c.synced), c.text);
}

TEST(StatusText, CacheAgeByRange) {
    const struct {
        double seconds;
        const wchar_t* text;
    } cases[] = {
        {0.0, L"0.00s"},        {0.5, L"0.50s"},      {0.999, L"1.00s"},    {1.0, L"1.0s"},     {59.99, L"60.0s"},
        {60.0, L"1m 0s"},       {61.9, L"1m 1s"},     {3599.9, L"59m 59s"}, {3600.0, L"1h 0m"}, {7260.0, L"2h 1m"},
        {86399.9, L"23h 59m"},  {86400.0, L"24h 0m"}, {86400.5, L"---"},    {-1.0, L"---"},     {-1e-9, L"---"},
        {std::nan(""), L"---"}, {INFINITY, L"---"},   {-0.0, L"0.00s"},
    };
    for (const auto& c : cases) EXPECT_EQ(cacheAgeText(c.seconds), L"Cache: " + std::wstring(c.text)) << c.seconds;
}

}  // namespace
}  // namespace mb
