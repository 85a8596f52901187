#include "server/win/api_client.h"

#include <optional>
#include <utility>

#include "server/boss_pages.h"
#include "server/fetch_guard.h"
#include "server/probe_parse.h"
#include "server/win/http_get.h"

namespace mb {
namespace {

constexpr char kAllStatusNetworkError[] = "Failed to fetch all status - network error or empty response";
constexpr char kChannelNetworkError[] = "Failed to fetch channel status - network error or empty response";
constexpr char kEmptyBossId[] = "Invalid boss_id - cannot be empty";
constexpr char kStoppedText[] = "Stopped";
constexpr DWORD kStopWaitMs = 5000;
// The connection thread sleeps until it is woken; this only bounds each wait.
constexpr DWORD kWakeCheckMs = 1000;
constexpr DWORD kNoEventPollMs = 50;

// The request size the counters use: the URL plus a flat 100 bytes for the rest.
uint64_t estimatedRequestBytes(const std::string& url) { return url.size() + 100; }

}  // namespace

std::string describeFailure(const CallFailure& failure) {
    return failure.cause.empty() ? failure.error : failure.error + ": " + failure.cause;
}

ApiClient::ApiClient(std::string url, uintptr_t tag)
    : baseUrl(std::move(url)), wakeEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)), tag_(tag) {}

ApiClient::~ApiClient() { stopConnection(); }

void ApiClient::setLastError(const std::string& text) {
    CriticalSectionLock hold(lock);
    lastError = text;
    lastCause.clear();
}

void ApiClient::storeError(const std::string& text, bool withCause) noexcept {
    try {
        std::string cause = withCause ? transportFailureText(lastTransportFailure()) : std::string();
        CriticalSectionLock hold(lock);
        lastError = text;
        lastCause.swap(cause);
    } catch (...) {  // no memory for the text: the failed result still tells the caller
    }
}

void ApiClient::resetBaseUrl(const std::string& url) {
    std::string copy = url;  // allocate outside the lock
    CriticalSectionLock hold(lock);
    baseUrl.swap(copy);
    totalBytesReceived = totalBytesSent = lastBytesReceived = lastBytesSent = 0;
    lastError.clear();
    lastCause.clear();
    ++urlGeneration;
    pollSucceeded = true;
    ::SetEvent(wakeEvent.get());
}

std::string ApiClient::baseUrlAndGeneration(uint64_t& generation) {
    CriticalSectionLock hold(lock);
    generation = urlGeneration;
    return baseUrl;
}

void ApiClient::recordPollOutcome(uint64_t generation, bool ok) {
    CriticalSectionLock hold(lock);
    if (generation != urlGeneration || pollSucceeded == ok) return;
    pollSucceeded = ok;
    ::SetEvent(wakeEvent.get());
}

bool ApiClient::pollsSucceeding() {
    CriticalSectionLock hold(lock);
    return pollSucceeded;
}

TrafficSnapshot ApiClient::trafficSnapshot() {
    CriticalSectionLock hold(lock);
    TrafficSnapshot snapshot;
    snapshot.totalBytesReceived = totalBytesReceived;
    snapshot.totalBytesSent = totalBytesSent;
    snapshot.lastBytesReceived = lastBytesReceived;
    snapshot.lastBytesSent = lastBytesSent;
    snapshot.state = running && pollSucceeded ? Connected : Disconnected;
    return snapshot;
}

std::string ApiClient::lastErrorText() {
    CriticalSectionLock hold(lock);
    return lastError;
}

CallFailure ApiClient::lastFailure() {
    CriticalSectionLock hold(lock);
    return {lastError, lastCause};
}

std::string ApiClient::baseUrlText() {
    CriticalSectionLock hold(lock);
    return baseUrl;
}

void ApiClient::addTraffic(uint64_t received, uint64_t sent, bool setLast) {
    CriticalSectionLock hold(lock);
    totalBytesReceived += received;
    totalBytesSent += sent;
    if (setLast) {
        lastBytesReceived = received;
        lastBytesSent = sent;
    }
}

void ApiClient::clearLastTraffic() {
    CriticalSectionLock hold(lock);
    lastBytesReceived = 0;
    lastBytesSent = 0;
}

bool ApiClient::fetchBosses(std::vector<Boss>& out) {
    // Every page is one request and counts as one: its bytes go into the totals as soon as
    // it has arrived, also when a later page fails. The list leaves the "last" figures alone.
    bool networkFailed = false;
    const PageGetter getPage = [&](const std::string& path, std::string& body) {
        const std::string url = baseUrlText() + path;
        const uint64_t received = HttpGet(url, body);
        networkFailed = received == 0 || body.empty();
        if (networkFailed) return false;
        addTraffic(received, estimatedRequestBytes(url), false);
        return true;
    };
    std::string error;
    const bool ok = fetchBossPages(getPage, out, error);
    if (!ok) storeError(error, networkFailed);
    return ok;
}

bool ApiClient::fetchAllStatus(AllStatusMap& out) {
    out.clear();
    std::string error;
    uint64_t generation = 0;
    bool networkFailed = false;
    const bool ok = runGuarded(guard_texts::kAllStatus, error, [&] {
        const std::string url = baseUrlAndGeneration(generation) + kAllStatusPath;
        std::string body;
        const uint64_t received = HttpGet(url, body);
        if (received == 0 || body.empty()) {
            networkFailed = true;
            clearLastTraffic();
            error = kAllStatusNetworkError;
            return false;
        }
        addTraffic(received, estimatedRequestBytes(url), true);
        return allStatusMemo.map(body, out, error);
    });
    recordPollOutcome(generation, ok);
    if (!ok) storeError(error, networkFailed);
    return ok;
}

bool ApiClient::fetchChannelStatus(const Boss& boss, std::vector<ChannelStatus>& out) {
    out.clear();
    std::string error;
    bool networkFailed = false;
    const bool ok = runGuarded(guard_texts::kChannelStatus, error, [&] {
        if (boss.id.empty()) {
            error = kEmptyBossId;
            return false;
        }
        const std::string url = baseUrlText() + channelStatusPath(boss.id);
        std::string body;
        const uint64_t received = HttpGet(url, body);
        if (received == 0 || body.empty()) {
            networkFailed = true;
            clearLastTraffic();
            error = kChannelNetworkError;
            return false;
        }
        addTraffic(received, estimatedRequestBytes(url), true);
        return mapChannelStatus(body, out, error);
    });
    if (!ok) storeError(error, networkFailed);
    return ok;
}

double ApiClient::probeStatus() {
    std::string error;
    double age = kUnknownCacheAge;
    bool transportFailed = false;
    const bool ok = runGuarded(guard_texts::kProbe, error, [&] {
        const std::string base = baseUrlText();
        if (base.empty()) {
            error = kProbeNoBaseUrl;
            return false;
        }
        const ProbeResponse response = ProbeHttpGet(base + kStatusPath);
        if (!response.ok) {
            transportFailed = true;
            error = response.error;
            return false;
        }
        age = parseCacheAge(response.body, error);
        return age != kUnknownCacheAge;
    });
    if (ok) return age;
    storeError(error, transportFailed);
    return kUnknownCacheAge;
}

void ApiClient::startConnection(HWND window) {
    if (connectionThread) return;
    notifyWindow = window;
    stopRequested = false;
    connectionThread.reset(::CreateThread(nullptr, 0, &ApiClient::connectionThreadMain, this, 0, nullptr));
}

void ApiClient::stopConnection() {
    if (!connectionThread) return;
    stopRequested = true;
    ::SetEvent(wakeEvent.get());
    ::WaitForSingleObject(connectionThread.get(), kStopWaitMs);
    connectionThread.reset();
    running = false;
}

DWORD WINAPI ApiClient::connectionThreadMain(void* parameter) {
    auto* client = static_cast<ApiClient*>(parameter);
    const auto post = [client](ConnectionState state) {
        ::PostMessageW(client->notifyWindow, kConnectionStateMessage, static_cast<WPARAM>(state),
                       static_cast<LPARAM>(client->tag_));
    };
    client->running = true;
    std::optional<bool> posted;  // what the window was last told; only changes are posted
    while (!client->stopRequested) {
        const bool working = client->pollsSucceeding();
        if (posted != working) post(working ? Connected : Disconnected);
        posted = working;
        // Without its event (the system refused one) the thread looks again every 50 ms.
        if (::WaitForSingleObject(client->wakeEvent.get(), kWakeCheckMs) == WAIT_FAILED) ::Sleep(kNoEventPollMs);
    }
    client->running = false;
    post(Disconnected);
    client->storeError(kStoppedText);
    return 0;
}

}  // namespace mb
