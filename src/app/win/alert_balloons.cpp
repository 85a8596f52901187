#include "app/win/alert_balloons.h"

#include <string>
#include <utility>

#include "core/spawn_countdown.h"
#include "core/win/utf8.h"

namespace mb {

void AlertBalloons::refreshAlerts(bool dataArrived, uint64_t nowMs, const AlertSettings& wanted, NtpClock& clock,
                                  TrackerState& state, const std::vector<const Boss*>& watched, TrayIcon& tray) {
    const int64_t now = clock.now();
    const std::optional<int64_t> offset = clock.systemOffset();
    std::map<std::string, AlertState> next;
    std::vector<std::wstring> lines;
    // One pass per watched boss, or one for the clock alone when none is.
    const size_t passes = watched.empty() ? 1 : watched.size();
    for (size_t i = 0; i < passes; ++i) {
        const Boss* boss = watched.empty() ? nullptr : watched[i];
        AlertState previous;
        if (boss) {
            const auto known = states_.find(boss->id);
            if (known != states_.end()) previous = known->second;
        }
        previous.clockWarned = clockWarned_;
        AlertInput input;
        input.now = now;
        input.clockOffset = offset;
        if (boss) {
            input.bossId = boss->id;
            input.bossName = Utf8ToWide(boss->name);
            input.secondsToSpawn = secondsUntilSpawn(*boss, now);
            input.reportsGiven = alertsWantReports(previous, boss->id, dataArrived, wanted);
            if (input.reportsGiven) {
                CriticalSectionLock hold(state.stateLock);
                const auto entry = state.bossStatus.find(boss->id);
                if (entry != state.bossStatus.end()) input.reports = entry->second.channels;
            }
        }
        AlertResult result = evaluateAlerts(previous, input, wanted);
        clockWarned_ = result.next.clockWarned;
        lines.insert(lines.end(), result.alerts.begin(), result.alerts.end());
        if (boss) next[boss->id] = std::move(result.next);
    }
    states_ = std::move(next);
    outbox_.add(lines);
    const std::optional<std::wstring> text = outbox_.take(nowMs);
    if (!text) return;
    // Shown in the overlay too, where Windows cannot hold it back; the sound goes with the balloon.
    banner_.show(*text, nowMs);
    if (tray.showBalloon(*text) && wanted.sound) sound_();
}

}  // namespace mb
