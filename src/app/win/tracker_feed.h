// The tracker data as the window sees it: the shared server client and tracker state, the
// loader and poller that fill them (workers.h), and what the window thread has learnt from
// them: the connection state and when poll data was last applied.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "app/win/workers.h"
#include "core/win/tracker_state.h"
#include "core/win/unique_handle.h"
#include "server/win/api_client.h"

namespace mb {

class TrackerFeed {
public:
    TrackerFeed();
    ~TrackerFeed() = default;  // stopped by its owner's teardown (stop)
    TrackerFeed(const TrackerFeed&) = delete;
    TrackerFeed& operator=(const TrackerFeed&) = delete;

    // Starts the loader (which posts WM_TRACKER_LOADED to window) and then the poller, both
    // writing to log when there is one. A thread that cannot be created is not reported; its
    // null handle is not waited for.
    void start(HWND window, const std::string& trackerUrl, std::shared_ptr<EventLog> log = nullptr);
    // The window hears no more of the connection; then the stop flag, and both workers waited
    // for, kThreadStopWaitMs at most in all. A worker still blocked in a request keeps what it
    // shares alive until it returns.
    void stop();
    // Another tracker: the client stops posting and the workers stop (bounded waits, as
    // at exit), then everything starts afresh for the next generation: a new client, state,
    // stop signal and load report, the connection Disconnected. Whatever an old worker still
    // holds stays its own, and its messages carry the old generation.
    void restart(HWND window, const std::string& trackerUrl, std::shared_ptr<EventLog> log);
    // Which tracker the messages are for: WM_TRACKER_LOADED's wParam, WM_CONNECTION_STATE's lParam.
    uint64_t generation() const { return generation_; }

    // The shared client and state; the state is guarded by its stateLock.
    ApiClient& api() { return *api_; }
    TrackerState& state() { return *state_; }
    // What a worker blocked in a request keeps alive after this object is gone.
    std::weak_ptr<ApiClient> sharedApi() const { return api_; }
    std::weak_ptr<TrackerState> sharedState() const { return state_; }

    // Under the state lock: whether a poll stored data since the last call (and clears it), the
    // activity dots, the server's cache age.
    bool takeDataChanged();
    int32_t dotPhase();
    double cacheAgeSeconds();

    // The window thread's view, from WM_CONNECTION_STATE and the refresh timer.
    void setConnectionState(ConnectionState state);
    ConnectionState connectionState() const { return connectionState_; }
    // Unix seconds of the PC clock when the state last changed (the start, before any change).
    int64_t connectionSince() const { return connectionSince_; }
    // The last failing call that explains the state: the loader's until the initial load is
    // applied, the shared client's after it.
    CallFailure lastFailure();
    void markLoadApplied() { loadApplied_ = true; }
    void markDataApplied() { lastDataTick_ = ::GetTickCount(); }
    uint32_t lastDataTick() const { return lastDataTick_; }
    // Connected, and poll data applied within the last two seconds: the tray dot is green.
    bool dataFlowing() const;

private:
    std::shared_ptr<ApiClient> api_;  // empty base URL until the initial load is applied
    std::shared_ptr<TrackerState> state_;
    std::shared_ptr<StopSignal> stop_;
    std::shared_ptr<LoadReport> load_;
    UniqueKernelHandle loaderThread_;
    UniqueKernelHandle pollerThread_;
    uint64_t generation_ = 0;
    ConnectionState connectionState_ = Disconnected;
    int64_t connectionSince_ = 0;
    bool loadApplied_ = false;
    uint32_t lastDataTick_ = 0;  // GetTickCount when poll data was last applied
};

}  // namespace mb
