// The program's view of the tracker server: base URL, byte counters for the status line,
// the text of the last failure, the three data fetches, the status probe, and the
// connection thread that reports the connection state to the window from the initial load
// on: Connected while the all-status polls succeed, Disconnected from the first one that
// fails until the next one that succeeds.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/tracker_records.h"
#include "core/win/unique_handle.h"
#include "server/all_status_memo.h"
#include "server/api_mapping.h"

namespace mb {

// The connection thread posts this to its window, wParam the ConnectionState, lParam the
// client's tag (0 unless given), so that a message from a client that was replaced can be told.
inline constexpr UINT kConnectionStateMessage = WM_USER + 102;

// The last failing call of a client: its text, and why the transport failed when it did
// (transportFailureText; empty when the answer came but could not be used).
struct CallFailure {
    std::string error;
    std::string cause;
    bool operator==(const CallFailure&) const = default;
};

// "error: cause", or the error alone without a cause.
std::string describeFailure(const CallFailure& failure);

// What the status line reads from a client, copied under its lock.
struct TrafficSnapshot {
    uint64_t totalBytesReceived = 0;
    uint64_t totalBytesSent = 0;
    uint64_t lastBytesReceived = 0;
    uint64_t lastBytesSent = 0;
    ConnectionState state = Disconnected;
};

class ApiClient {
public:
    explicit ApiClient(std::string url, uintptr_t tag = 0);
    ~ApiClient();  // stops a running connection thread first
    ApiClient(const ApiClient&) = delete;
    ApiClient& operator=(const ApiClient&) = delete;

    // Each fetch clears its output, fails with false and a text in lastError, and never
    // throws. fetchBosses reads the list page by page (fetchBossPages) and is true when at
    // least one boss was read over all pages; the other two are true for an answer of the
    // right shape, also when nothing is in it.
    bool fetchBosses(std::vector<Boss>& out);
    bool fetchAllStatus(AllStatusMap& out);
    bool fetchChannelStatus(const Boss& boss, std::vector<ChannelStatus>& out);

    // The server's cache age in seconds (0 to 86400), or -1.0 with a text in lastError.
    // Leaves the byte counters alone. Never throws.
    double probeStatus();

    void setLastError(const std::string& text);

    // A new base URL with zeroed counters and an empty last error, in one step under the
    // lock, so a fetch running on another thread never sees half of it. The connection counts
    // as working from here (the initial load has just succeeded); a poll that was already
    // under way with the old URL does not count.
    void resetBaseUrl(const std::string& url);

    // Copies under the lock, for the status line and for diagnosis.
    TrafficSnapshot trafficSnapshot();
    std::string lastErrorText();
    CallFailure lastFailure();
    std::string baseUrlText();

    // Starts the connection thread when none runs; it posts the state to window at once and
    // then each change of it.
    void startConnection(HWND window);
    // Stops it (at once; the wait is bounded by 5000 ms); it posts Disconnected.
    void stopConnection();

private:
    static DWORD WINAPI connectionThreadMain(void* parameter);
    // The base URL and its generation, read together.
    std::string baseUrlAndGeneration(uint64_t& generation);
    // The outcome of an all-status poll made with the URL of that generation.
    void recordPollOutcome(uint64_t generation, bool ok);
    bool pollsSucceeding();
    void addTraffic(uint64_t received, uint64_t sent, bool setLast);
    void clearLastTraffic();
    // The text, with the cause of this thread's last transport failure when withCause.
    void storeError(const std::string& text, bool withCause = false) noexcept;

    CriticalSection lock;  // guards everything below that the threads share
    std::string baseUrl;
    uint64_t totalBytesReceived = 0;
    uint64_t totalBytesSent = 0;
    uint64_t lastBytesReceived = 0;
    uint64_t lastBytesSent = 0;
    std::string lastError;
    std::string lastCause;
    uint64_t urlGeneration = 0;  // counts the base URLs given
    bool pollSucceeded = true;   // no poll with the current URL failed since the last that worked

    AllStatusMemo allStatusMemo;  // the last all-status body; only the polling thread uses it

    UniqueKernelHandle connectionThread;  // touched by the owning thread only
    UniqueKernelHandle wakeEvent;         // auto-reset: a stop, or a change of pollSucceeded
    HWND notifyWindow = nullptr;
    const uintptr_t tag_;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> running{false};
};

}  // namespace mb
