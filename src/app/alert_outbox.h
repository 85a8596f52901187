// The pace of the alert balloons: at most one every three seconds. Alerts that come faster
// wait and go out together in the next balloon, one line each, never dropped for the pace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mb {

inline constexpr uint64_t kAlertSpacingMs = 3000;
// A balloon's text holds 256 UTF-16 units with its terminator.
inline constexpr size_t kAlertTextUnits = 255;

// The lines joined by "\n". Past kAlertTextUnits UTF-16 units: the whole lines that fit and
// a last line "…"; when not even the first line fits, that line cut between two characters
// and ended with "…".
std::wstring mergeAlertLines(const std::vector<std::wstring>& lines);

// The overlay's own banner over the channel list, seen during play when Windows holds the
// balloons back (a full-screen game, Focus assist): the latest alert, as one line, for
// kBannerShowMs or until the next alert replaces it.
inline constexpr uint64_t kBannerShowMs = 8000;

class AlertBanner {
public:
    // A balloon's text; its lines become one, joined by " \u00B7 ".
    void show(const std::wstring& alertText, uint64_t nowMs);
    // Whether the banner shows at nowMs: after an alert, until it is kBannerShowMs old.
    bool showingAt(uint64_t nowMs) const { return shownMs_ && nowMs - *shownMs_ < kBannerShowMs; }
    // The latest alert's line.
    const std::wstring& line() const { return line_; }

private:
    std::wstring line_;
    std::optional<uint64_t> shownMs_;
};

class AlertOutbox {
public:
    void add(const std::vector<std::wstring>& lines);
    // The balloon text due at nowMs (a monotonic millisecond count): everything waiting,
    // merged, once kAlertSpacingMs have passed since the last balloon, at once when there was
    // none. Nothing while nothing waits or the last balloon is too recent.
    std::optional<std::wstring> take(uint64_t nowMs);
    bool empty() const { return pending_.empty(); }

private:
    std::vector<std::wstring> pending_;
    std::optional<uint64_t> lastShownMs_;
};

}  // namespace mb
