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
