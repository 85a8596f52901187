// Texts drawn by the channel list: the row label and the time and rate shown over the bar, and
// the same texts as the list's window text for screen readers and tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/channel_row.h"

namespace mb::progress_list {

// The widest label; its measured width fixes the label column so that bars line up.
inline constexpr wchar_t kLabelSample[] = L"Ch. 999 | 100%";
// Shown when the list has no rows.
inline constexpr wchar_t kNoRowsCaption[] = L"Unknown";
// The longest rate part kept.
constexpr size_t kRatePartLimit = 32;

// "Ch. %3d | %3d%%".
std::wstring rowLabel(int32_t channel, int32_t hpPercent);
// "%ds" below a minute, "%dm %ds" from 60 s on; empty unless secondsLeft > 0.
std::wstring timePart(double secondsLeft);
// "(-%.1f%%/s)"; empty unless lossRate > 0.01.
std::wstring ratePart(double lossRate);
// Time and rate parts joined by a space, or the one that exists; empty when neither does.
std::wstring overlayText(const ChannelRow& row);

// The row as drawn: its name and ": " when it has one, its label, then two spaces and the
// overlay text when there is one.
std::wstring rowAccessibleText(const ChannelRow& row);
// The rows' texts joined by "\r\n" (none after the last); the no-rows caption without rows.
std::wstring listAccessibleText(const std::vector<ChannelRow>& rows);

// The overlay text is drawn first at these eight offsets in the outline colour.
struct Offset {
    int32_t dx;
    int32_t dy;
};
inline constexpr Offset kOutlineOffsets[8] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

}  // namespace mb::progress_list
