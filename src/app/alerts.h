// Alerts a player can act on, decided from what the overlay already knows: the selected boss's
// spawn drawing near, one of its channels falling low, the PC clock being off. The window feeds
// this on every refresh tick and shows what it returns (alert_outbox.h paces the balloons).
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/tracker_records.h"
#include "desktop/alert_settings.h"

namespace mb {

// What has been alerted already. A change of boss starts it afresh (the clock warning stays).
struct AlertState {
    std::string bossId;  // the boss the rest belongs to; empty while none is selected
    // The spawn moment (Unix seconds) that alerted, or that was within the lead already when
    // the boss was chosen: each spawn alerts once, however the clock moves meanwhile.
    std::optional<int64_t> spawnHandled;
    // Channels below the threshold that alerted, or were low already when the boss was chosen,
    // and have not been back at the threshold or above (or dead) since.
    std::set<int32_t> lowChannels;
    bool clockWarned = false;  // once per run
};

struct AlertInput {
    int64_t now = 0;                        // the clock's now, one reading for the whole pass
    std::string bossId;                     // the selected boss; empty: none
    std::wstring bossName;                  // its name as the title shows it
    std::optional<int32_t> secondsToSpawn;  // secondsUntilSpawn of the boss at now
    // The boss's reports, looked at when reportsGiven: after new data and whenever the boss
    // changed (alertsWantReports tells when).
    bool reportsGiven = false;
    std::vector<ChannelStatus> reports;
    std::optional<int64_t> clockOffset;  // system clock minus network time; none before a sync
};

struct AlertResult {
    std::vector<std::wstring> alerts;  // texts in the order they were decided
    AlertState next;
};

AlertResult evaluateAlerts(const AlertState& previous, const AlertInput& input, const AlertSettings& settings);

// Whether the next evaluation needs the boss's reports: health alerts are on and a boss is
// selected, and new data arrived or the boss is not the one the state belongs to.
bool alertsWantReports(const AlertState& state, std::string_view bossId, bool dataChanged,
                       const AlertSettings& settings);

}  // namespace mb
