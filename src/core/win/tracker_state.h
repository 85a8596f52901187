// What the background workers store and the window reads, guarded by one lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/tracker_records.h"
#include "core/win/unique_handle.h"

namespace mb {

struct TrackerState {
    // Guarded by stateLock: written by the loader and the poller, read by the window.
    std::vector<Boss> bosses;
    BossStatusMap bossStatus;
    double cacheAgeSeconds = -1.0;  // -1.0 while the server's cache age is unknown
    bool dataChanged = false;       // set after each successful poll, cleared by the refresh timer
    int32_t dotPhase = 0;           // 0, 1, 2: advances after each successful poll
    // The window thread's own: not guarded.
    std::string selectedBossId;
    // A holder of stateLock may take the clock's lock, never the other way round.
    CriticalSection stateLock;
};

}  // namespace mb
