// Alerts shown as balloons on the tray icon and on the overlay's own banner: each refresh tick
// asks the alert rules what to say (alerts.h) and shows it, at most one balloon every three
// seconds (alert_outbox.h); the banner keeps the latest for eight.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/alert_outbox.h"
#include "app/alerts.h"
#include "app/win/tray_icon.h"
#include "clock/win/ntp_clock.h"
#include "core/tracker_records.h"
#include "core/win/tracker_state.h"
#include "desktop/alert_settings.h"

namespace mb {

class AlertBalloons {
public:
    // The sound of an alert when the settings want one; a test puts something else in its place.
    void setSound(std::function<void()> sound) { sound_ = std::move(sound); }

    // Called while some alert is on. dataArrived: a poll was applied this tick; nowMs a
    // monotonic millisecond count. Each watched boss has its own alert state; a boss no longer
    // watched loses it, so it starts afresh when watched again. The clock warns once per run.
    void refreshAlerts(bool dataArrived, uint64_t nowMs, const AlertSettings& wanted, NtpClock& clock,
                       TrackerState& state, const std::vector<const Boss*>& watched, TrayIcon& tray);

    // The bosses the rules have looked at and still watch.
    size_t watchedCount() const { return states_.size(); }
    const AlertBanner& banner() const { return banner_; }

private:
    std::map<std::string, AlertState> states_;  // what has been alerted, by boss id
    bool clockWarned_ = false;
    AlertOutbox outbox_;  // the balloons waiting for their turn
    AlertBanner banner_;  // the latest alert inside the overlay
    std::function<void()> sound_ = [] { ::MessageBeep(MB_ICONASTERISK); };
};

}  // namespace mb
