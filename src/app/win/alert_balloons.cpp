#include "app/win/alert_balloons.h"

#include <string>

#include "core/spawn_countdown.h"
#include "core/win/utf8.h"

namespace mb {

void AlertBalloons::refreshAlerts(bool dataArrived, uint64_t nowMs, const AlertSettings& wanted, NtpClock& clock,
                                  TrackerState& state, const std::optional<Boss>& selected, TrayIcon& tray) {
    AlertInput input;
    input.now = clock.now();
    input.clockOffset = clock.systemOffset();
    if (selected) {
        input.bossId = selected->id;
        input.bossName = Utf8ToWide(selected->name);
        input.secondsToSpawn = secondsUntilSpawn(*selected, input.now);
        input.reportsGiven = alertsWantReports(state_, selected->id, dataArrived, wanted);
        if (input.reportsGiven) {
            CriticalSectionLock hold(state.stateLock);
            const auto entry = state.bossStatus.find(selected->id);
            if (entry != state.bossStatus.end()) input.reports = entry->second.channels;
        }
    }
    AlertResult result = evaluateAlerts(state_, input, wanted);
    state_ = std::move(result.next);
    outbox_.add(result.alerts);
    const std::optional<std::wstring> text = outbox_.take(nowMs);
    if (!text) return;
    // Shown in the overlay too, where Windows cannot hold it back; the sound goes with the balloon.
    banner_.show(*text, nowMs);
    if (tray.showBalloon(*text) && wanted.sound) sound_();
}

}  // namespace mb
