#include "controls/progress_list_text.h"

#include <cstdio>
#include <limits>

#include "core/widen_bytes.h"

namespace mb::progress_list {
namespace {

// Truncation toward zero that stays defined for values beyond the int range (the server's
// estimate is passed through unchecked).
int32_t truncateSeconds(double seconds) {
    constexpr double kMax = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (seconds >= kMax) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(seconds);
}

}  // namespace

std::wstring rowLabel(int32_t channel, int32_t hpPercent) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Ch. %3d | %3d%%", static_cast<int>(channel), static_cast<int>(hpPercent));
    return widenBytes(buffer);
}

std::wstring timePart(double secondsLeft) {
    if (!(secondsLeft > 0.0)) return {};  // also drops NaN
    char buffer[48];
    int32_t whole = truncateSeconds(secondsLeft);
    if (secondsLeft < 60.0) {
        std::snprintf(buffer, sizeof buffer, "%ds", static_cast<int>(whole));
    } else {
        int32_t minutes = truncateSeconds(secondsLeft / 60.0);
        std::snprintf(buffer, sizeof buffer, "%dm %ds", static_cast<int>(minutes), static_cast<int>(whole % 60));
    }
    return widenBytes(buffer);
}

std::wstring ratePart(double lossRate) {
    if (!(lossRate > 0.01)) return {};
    char buffer[kRatePartLimit + 1];
    std::snprintf(buffer, sizeof buffer, "(-%.1f%%/s)", lossRate);
    return widenBytes(buffer);
}

std::wstring overlayText(const ChannelRow& row) {
    std::wstring time = timePart(row.secondsLeft);
    std::wstring rate = ratePart(row.lossRate);
    if (time.empty()) return rate;
    if (rate.empty()) return time;
    return time + L" " + rate;
}

std::wstring rowAccessibleText(const ChannelRow& row) {
    std::wstring text = row.name.empty() ? std::wstring() : row.name + L": ";
    text += rowLabel(row.channel, row.hpPercent);
    const std::wstring overlay = overlayText(row);
    if (!overlay.empty()) text += L"  " + overlay;
    return text;
}

std::wstring listAccessibleText(const std::vector<ChannelRow>& rows) {
    if (rows.empty()) return kNoRowsCaption;
    std::wstring text;
    for (const ChannelRow& row : rows) {
        if (!text.empty()) text += L"\r\n";
        text += rowAccessibleText(row);
    }
    return text;
}

}  // namespace mb::progress_list
