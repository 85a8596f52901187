// Current UTC time corrected by NTP: the server's time at the last successful query plus the
// milliseconds counted since, or the system clock until a query has succeeded.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clock/ntp_server.h"
#include "core/win/unique_handle.h"

namespace mb {

class NtpClock {
public:
    using TickSource = std::function<uint64_t()>;  // milliseconds, monotonic
    using SystemClock = std::function<int64_t()>;  // Unix seconds

    // Four public servers, GetTickCount64 and _time64.
    NtpClock();
    // Sources left empty take the defaults. The sources are called by synchronisation threads
    // too, which may outlive the clock: they must stay callable until every one has ended.
    explicit NtpClock(std::vector<NtpServer> servers, TickSource tick = {}, SystemClock systemClock = {});
    ~NtpClock() = default;
    NtpClock(const NtpClock&) = delete;
    NtpClock& operator=(const NtpClock&) = delete;

    static std::vector<NtpServer> defaultServers();

    // async: runs one query round on a new detached thread and returns whether it started.
    // Otherwise runs it here and returns whether a server answered with a usable time.
    bool synchronize(bool async);

    int64_t now();         // corrected Unix seconds; the system clock before the first success
    bool isFresh();        // synchronised less than 24 hours ago
    int64_t syncedTime();  // the server time of the last success; 0 before one
    // The system clock minus the server time, in whole seconds, as found at the last success
    // (positive: the PC clock is ahead); nothing before the first success.
    std::optional<int64_t> systemOffset();

    // What the status box tells of the clock.
    struct Status {
        std::string server;             // of the last success ("host" or "host:port"); empty before
        std::optional<int64_t> offset;  // systemOffset
        int64_t syncedTime = 0;         // server time of the last success; 0 before one
        int64_t failedTime = 0;         // system time of the last round no server answered; 0: none
    };
    Status status();

    // Told of every round's outcome in a line of text ("Clock synchronised with ...", "No time
    // server answered ..."), on the round's own thread. Set before the first round.
    void setReporter(std::function<void(const std::string&)> report);

    // The time base with its lock. Every synchronisation thread holds it too, so a thread
    // that finishes after the clock is gone stores into state that is still alive.
    struct TimeBase {
        std::vector<NtpServer> servers;
        TickSource tick;
        SystemClock systemClock;
        CriticalSection lock;
        uint64_t baseTick = 0;
        int64_t baseUnixTime = 0;
        uint64_t lastSyncTick = 0;
        int64_t systemOffset = 0;  // system clock minus server time at the last success
        bool synced = false;
        std::string lastServer;
        int64_t lastFailureTime = 0;
        std::function<void(const std::string&)> report;
    };

private:
    std::shared_ptr<TimeBase> base_;
};

}  // namespace mb
