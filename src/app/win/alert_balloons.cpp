// Alerts on the overlay's tray icon: each refresh tick asks the alert rules what to say and
// shows it as a notification balloon, at most one every three seconds.
#include <optional>
#include <string>

#include "app/win/tracker_app.h"
#include "core/spawn_countdown.h"
#include "server/win/utf8_to_wide.h"

namespace mb {

void TrackerApp::refreshAlerts(bool dataArrived) {
    const AlertSettings& wanted = settings.alerts;
    if (!wanted.anyOn()) return;  // off: not one call more than without alerts
    AlertInput input;
    input.now = clock.now();
    input.clockOffset = clock.systemOffset();
    if (const std::optional<Boss> boss = selectedBoss()) {
        input.bossId = boss->id;
        input.bossName = Utf8ToWide(boss->name);
        input.secondsToSpawn = secondsUntilSpawn(*boss, input.now);
        input.reportsGiven = alertsWantReports(alertState, boss->id, dataArrived, wanted);
        if (input.reportsGiven) {
            CriticalSectionLock hold(state->stateLock);
            const auto entry = state->bossStatus.find(boss->id);
            if (entry != state->bossStatus.end()) input.reports = entry->second.channels;
        }
    }
    AlertResult result = evaluateAlerts(alertState, input, wanted);
    alertState = std::move(result.next);
    alertOutbox.add(result.alerts);
    if (const std::optional<std::wstring> text = alertOutbox.take(::GetTickCount64())) showAlertBalloon(*text);
}

void TrackerApp::showAlertBalloon(const std::wstring& text) {
    if (!trayIconAdded) return;  // no tray icon to speak from
    // A copy: the icon's own record, used by every other tray call, never carries a balloon.
    NOTIFYICONDATAW balloon = trayIconData;
    balloon.uFlags = NIF_INFO;
    lstrcpynW(balloon.szInfoTitle, L"Marrowbell", ARRAYSIZE(balloon.szInfoTitle));
    lstrcpynW(balloon.szInfo, text.c_str(), ARRAYSIZE(balloon.szInfo));
    // The shell stays silent: the one sound, when wanted, is ours, so a shell that has its own
    // notification sound does not play it twice.
    balloon.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    notifyShell(NIM_MODIFY, &balloon);
    if (settings.alerts.sound) alertSound();
}

}  // namespace mb
