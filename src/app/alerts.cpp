#include "app/alerts.h"

#include <algorithm>

#include "controls/progress_list_text.h"
#include "core/freshness.h"
#include "core/spawn_countdown.h"

namespace mb {
namespace {

std::wstring spawnText(const std::wstring& boss, int32_t remaining) {
    return boss + L" spawns in " + countdownText(remaining);
}

std::wstring healthText(const std::wstring& boss, const ChannelStatus& report) {
    std::wstring text = boss + L": channel " + std::to_wstring(report.channel_number) + L" at " +
                        std::to_wstring(report.last_hp) + L"%";
    const std::wstring left = progress_list::timePart(report.etd);  // the list's own format
    if (!left.empty()) text += L", " + left + L" left";
    return text;
}

std::wstring clockText(int64_t offset, uint64_t magnitude) {
    return L"Your PC clock is " + std::to_wstring(magnitude) +
           (offset > 0 ? L" s ahead of network time" : L" s behind network time");
}

}  // namespace

AlertResult evaluateAlerts(const AlertState& previous, const AlertInput& input, const AlertSettings& settings) {
    AlertResult result;
    AlertState& next = result.next;
    // A new boss starts from what is true now: nothing that holds already alerts.
    const bool switched = input.bossId != previous.bossId;
    if (switched) {
        next.bossId = input.bossId;
        next.clockWarned = previous.clockWarned;
    } else {
        next = previous;
    }

    if (settings.clockWarnSeconds > 0 && input.clockOffset && !next.clockWarned) {
        const int64_t offset = *input.clockOffset;
        const uint64_t magnitude = offset < 0 ? 0 - static_cast<uint64_t>(offset) : static_cast<uint64_t>(offset);
        if (magnitude > static_cast<uint64_t>(settings.clockWarnSeconds)) {
            result.alerts.push_back(clockText(offset, magnitude));
            next.clockWarned = true;
        }
    }
    if (input.bossId.empty()) return result;

    if (settings.spawnLeadSeconds > 0 && input.secondsToSpawn && *input.secondsToSpawn <= settings.spawnLeadSeconds) {
        // The moment itself, not the seconds left: a resynchronised clock that steps back
        // over the lead does not make the same spawn alert twice.
        const int64_t spawn = input.now + *input.secondsToSpawn;
        if (next.spawnHandled != spawn) {
            if (!switched) result.alerts.push_back(spawnText(input.bossName, *input.secondsToSpawn));
            next.spawnHandled = spawn;
        }
    }

    if (settings.healthBelowPercent > 0 && input.reportsGiven) {
        std::vector<ChannelStatus> reports = input.reports;
        std::stable_sort(reports.begin(), reports.end(), [](const ChannelStatus& a, const ChannelStatus& b) {
            return a.channel_number < b.channel_number;
        });
        for (const ChannelStatus& report : reports) {
            // The latest word on a channel re-arms it, fresh or not: a dead boss (health 0) or
            // health back at the threshold.
            if (report.last_hp == 0 || report.last_hp >= settings.healthBelowPercent) {
                next.lowChannels.erase(report.channel_number);
            } else if (isReportFresh(report, input.now) && next.lowChannels.insert(report.channel_number).second &&
                       !switched) {
                result.alerts.push_back(healthText(input.bossName, report));
            }
        }
    }
    return result;
}

bool alertsWantReports(const AlertState& state, std::string_view bossId, bool dataChanged,
                       const AlertSettings& settings) {
    return settings.healthBelowPercent > 0 && !bossId.empty() && (dataChanged || bossId != state.bossId);
}

}  // namespace mb
