// The program's view of the tracker server: the three data fetches and the status probe over the
// transports, and what the window reads of them (ClientRecord): byte counters for the status
// line, the connection the all-status polls make (PollOutcomes), and the last failure. The
// connection's changes are posted to the window from whichever thread makes them: a post
// never blocks, so no thread of its own is needed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/tracker_records.h"
#include "core/win/unique_handle.h"
#include "server/all_status_memo.h"
#include "server/api_mapping.h"
#include "server/poll_outcomes.h"

namespace mb {

// Posted to the window on every change of the connection, wParam the ConnectionState, lParam the
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

// What the window reads of a client, copied under its lock in one piece.
struct ClientRecord {
    uint64_t totalBytesReceived = 0;
    uint64_t totalBytesSent = 0;
    uint64_t lastBytesReceived = 0;
    uint64_t lastBytesSent = 0;
    ConnectionState state = Disconnected;
    CallFailure lastFailure;
};

class ApiClient {
public:
    explicit ApiClient(std::string url, uintptr_t tag = 0);
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
    ClientRecord record();
    std::string lastErrorText();
    std::string baseUrlText();

    // From now on the window hears of the connection: its state at once, then every change.
    void startConnection(HWND window);
    // The window hears Disconnected, and nothing more.
    void stopConnection();

private:
    // The base URL and its generation, read together.
    std::string baseUrlAndGeneration(uint64_t& generation);
    // The outcome of an all-status poll made with the URL of that generation.
    void recordPollOutcome(uint64_t generation, bool ok);
    // Under the lock: tells the window when the state differs from before.
    void tellIfChanged(ConnectionState before);
    // One request's body, false for a transport failure (no bytes, or an empty body). Its bytes
    // go into the totals; a data request (countsAsLast) also sets the last request's figures,
    // cleared by a failure, while a boss-list page leaves them alone.
    bool getCounted(const std::string& url, std::string& body, bool countsAsLast);
    // The text, with the cause of this thread's last transport failure when withCause.
    void storeError(const std::string& text, bool withCause = false) noexcept;

    CriticalSection lock;  // guards everything below that the threads share
    std::string baseUrl;
    ClientRecord record_;  // its state is kept in outcomes_
    PollOutcomes outcomes_;
    HWND notifyWindow = nullptr;
    const uintptr_t tag_;

    AllStatusMemo allStatusMemo;  // the last all-status body; only the polling thread uses it
};

}  // namespace mb
