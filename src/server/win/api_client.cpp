#include "server/win/api_client.h"

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

// The request size the counters use: the URL plus a flat 100 bytes for the rest.
uint64_t estimatedRequestBytes(const std::string& url) { return url.size() + 100; }

}  // namespace

std::string describeFailure(const CallFailure& failure) {
    return failure.cause.empty() ? failure.error : failure.error + ": " + failure.cause;
}

ApiClient::ApiClient(std::string url, uintptr_t tag) : baseUrl(std::move(url)), tag_(tag) {}

void ApiClient::setLastError(const std::string& text) {
    CriticalSectionLock hold(lock);
    record_.lastFailure = {text, std::string()};
}

void ApiClient::storeError(const std::string& text, bool withCause) noexcept {
    try {
        CallFailure failure{text, withCause ? transportFailureText(lastTransportFailure()) : std::string()};
        CriticalSectionLock hold(lock);
        record_.lastFailure = std::move(failure);
    } catch (...) {  // no memory for the text: the failed result still tells the caller
    }
}

void ApiClient::resetBaseUrl(const std::string& url) {
    std::string copy = url;  // allocate outside the lock
    CriticalSectionLock hold(lock);
    const ConnectionState before = connectionState(outcomes_);
    baseUrl.swap(copy);
    record_ = ClientRecord{};
    ++outcomes_.generation;
    outcomes_.lastPollSucceeded = true;
    tellIfChanged(before);
}

std::string ApiClient::baseUrlAndGeneration(uint64_t& generation) {
    CriticalSectionLock hold(lock);
    generation = outcomes_.generation;
    return baseUrl;
}

void ApiClient::recordPollOutcome(uint64_t generation, bool ok) {
    CriticalSectionLock hold(lock);
    if (generation != outcomes_.generation) return;
    const ConnectionState before = connectionState(outcomes_);
    outcomes_.lastPollSucceeded = ok;
    tellIfChanged(before);
}

void ApiClient::tellIfChanged(ConnectionState before) {
    const ConnectionState now = connectionState(outcomes_);
    // Posted under the lock, so that two threads' changes reach the window in their order.
    if (now != before && notifyWindow) {
        ::PostMessageW(notifyWindow, kConnectionStateMessage, static_cast<WPARAM>(now), static_cast<LPARAM>(tag_));
    }
}

ClientRecord ApiClient::record() {
    CriticalSectionLock hold(lock);
    ClientRecord copy = record_;
    copy.state = connectionState(outcomes_);
    return copy;
}

std::string ApiClient::lastErrorText() {
    CriticalSectionLock hold(lock);
    return record_.lastFailure.error;
}

std::string ApiClient::baseUrlText() {
    CriticalSectionLock hold(lock);
    return baseUrl;
}

bool ApiClient::getCounted(const std::string& url, std::string& body, bool countsAsLast) {
    const uint64_t received = HttpGet(url, body);
    const bool ok = received != 0 && !body.empty();
    const uint64_t sent = estimatedRequestBytes(url);
    CriticalSectionLock hold(lock);
    if (ok) {
        record_.totalBytesReceived += received;
        record_.totalBytesSent += sent;
    }
    if (countsAsLast) {
        record_.lastBytesReceived = ok ? received : 0;
        record_.lastBytesSent = ok ? sent : 0;
    }
    return ok;
}

bool ApiClient::fetchBosses(std::vector<Boss>& out) {
    // Every page is one request and counts as one: its bytes go into the totals as soon as
    // it has arrived, also when a later page fails. The list leaves the "last" figures alone.
    bool networkFailed = false;
    const PageGetter getPage = [&](const std::string& path, std::string& body) {
        networkFailed = !getCounted(baseUrlText() + path, body, false);
        return !networkFailed;
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
        std::string body;
        networkFailed = !getCounted(baseUrlAndGeneration(generation) + kAllStatusPath, body, true);
        if (networkFailed) error = kAllStatusNetworkError;
        return !networkFailed && allStatusMemo.map(body, out, error);
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
        std::string body;
        networkFailed = !getCounted(baseUrlText() + channelStatusPath(boss.id), body, true);
        if (networkFailed) error = kChannelNetworkError;
        return !networkFailed && mapChannelStatus(body, out, error);
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
    CriticalSectionLock hold(lock);
    if (outcomes_.told) return;
    notifyWindow = window;
    outcomes_.told = true;
    // The window starts from Disconnected: the first state it hears is the one now.
    tellIfChanged(Disconnected);
}

void ApiClient::stopConnection() {
    CriticalSectionLock hold(lock);
    if (!outcomes_.told) return;
    const ConnectionState before = connectionState(outcomes_);
    outcomes_.told = false;
    tellIfChanged(before);
    record_.lastFailure = {kStoppedText, std::string()};
}

}  // namespace mb
