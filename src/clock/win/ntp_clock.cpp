#include "clock/win/ntp_clock.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <ctime>
#include <optional>
#include <utility>

#include "clock/ntp_packet.h"

namespace mb {
namespace {

constexpr DWORD kSocketTimeoutMs = 5000;
constexpr DWORD kPauseAfterFailureMs = 500;
constexpr uint64_t kFreshForMs = 86400000;  // 24 hours

struct FreeAddrInfo {
    static addrinfo* invalid() noexcept { return nullptr; }
    static void close(addrinfo* list) noexcept { ::freeaddrinfo(list); }
};
using UniqueAddrInfo = UniqueHandle<addrinfo*, FreeAddrInfo>;

// Winsock is started once for the process and left running until it ends.
bool socketLayerReady() {
    static const bool ready = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

// One request and one reply; the Unix seconds of the reply, or nothing on any failure.
std::optional<int64_t> queryServer(const NtpServer& server) {
    UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket) return std::nullopt;
    const DWORD timeout = kSocketTimeoutMs;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);

    addrinfo hints{};
    hints.ai_flags = 0;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(server.host.c_str(), server.service.c_str(), &hints, &found) != 0) return std::nullopt;
    UniqueAddrInfo addresses(found);
    if (!addresses) return std::nullopt;

    NtpPacket packet = buildNtpRequest();
    const int sent = ::sendto(socket.get(), reinterpret_cast<const char*>(packet.data()),
                              static_cast<int>(packet.size()), 0, addresses.get()->ai_addr,
                              static_cast<int>(addresses.get()->ai_addrlen));
    addresses.reset();
    if (sent != static_cast<int>(packet.size())) return std::nullopt;

    // The sender of the reply is not compared with the server that was asked.
    const int received = ::recvfrom(socket.get(), reinterpret_cast<char*>(packet.data()),
                                    static_cast<int>(packet.size()), 0, nullptr, nullptr);
    socket.reset();
    if (received < 0) return std::nullopt;
    return parseNtpReply(packet.data(), static_cast<std::size_t>(received));
}

std::string serverName(const NtpServer& server) {
    return server.service == kNtpService ? server.host : server.host + ":" + server.service;
}

// "Clock synchronised with pool.ntp.org: the PC clock is 3 s ahead of it".
std::string syncedText(const std::string& server, int64_t offset) {
    const int64_t seconds = offset < 0 ? -offset : offset;
    std::string text = "Clock synchronised with " + server + ": the PC clock ";
    if (offset == 0) return text + "matches it";
    return text + "is " + std::to_string(seconds) + " s " + (offset > 0 ? "ahead of" : "behind") + " it";
}

// One round over the servers in their fixed order; stores the first usable answer.
bool synchronizeNow(NtpClock::TimeBase& base) {
    std::function<void(const std::string&)> report;
    bool synced = false;
    std::string line;
    if (socketLayerReady()) {
        for (const NtpServer& server : base.servers) {
            if (const std::optional<int64_t> unixTime = queryServer(server)) {
                const int64_t system = base.systemClock();  // the PC's own clock as the reply is taken
                CriticalSectionLock hold(base.lock);
                const uint64_t tick = base.tick();
                base.baseTick = tick;
                base.lastSyncTick = tick;
                base.baseUnixTime = *unixTime;
                base.systemOffset = system - *unixTime;
                base.synced = true;
                base.lastServer = serverName(server);
                report = base.report;
                line = syncedText(base.lastServer, base.systemOffset);
                synced = true;
                break;
            }
            ::Sleep(kPauseAfterFailureMs);
        }
    }
    if (!synced) {
        const int64_t system = base.systemClock();
        CriticalSectionLock hold(base.lock);
        base.lastFailureTime = system;
        report = base.report;
        line = std::string("No time server answered (UDP port ") + kNtpService + ")";
    }
    if (report) report(line);  // outside the lock: the reporter takes its own
    return synced;
}

DWORD WINAPI synchronizeThread(LPVOID parameter) {
    // The thread owns its reference to the time base from here on.
    const std::unique_ptr<std::shared_ptr<NtpClock::TimeBase>> base(
        static_cast<std::shared_ptr<NtpClock::TimeBase>*>(parameter));
    synchronizeNow(**base);
    return 0;
}

uint64_t systemTick() { return ::GetTickCount64(); }
int64_t systemTime() { return static_cast<int64_t>(::_time64(nullptr)); }

}  // namespace

std::vector<NtpServer> NtpClock::defaultServers() {
    return {{"time.windows.com", kNtpService},
            {"pool.ntp.org", kNtpService},
            {"time.google.com", kNtpService},
            {"time.cloudflare.com", kNtpService}};
}

NtpClock::NtpClock() : NtpClock(defaultServers()) {}

NtpClock::NtpClock(std::vector<NtpServer> servers, TickSource tick, SystemClock systemClock)
    : base_(std::make_shared<TimeBase>()) {
    base_->servers = std::move(servers);
    base_->tick = tick ? std::move(tick) : TickSource(systemTick);
    base_->systemClock = systemClock ? std::move(systemClock) : SystemClock(systemTime);
}

bool NtpClock::synchronize(bool async) {
    if (!async) return synchronizeNow(*base_);
    auto threadBase = std::make_unique<std::shared_ptr<TimeBase>>(base_);
    UniqueKernelHandle thread(::CreateThread(nullptr, 0, synchronizeThread, threadBase.get(), 0, nullptr));
    if (!thread) return false;
    threadBase.release();  // the thread frees it
    return true;           // the handle closes here: nothing waits for the thread
}

int64_t NtpClock::now() {
    CriticalSectionLock hold(base_->lock);
    if (!base_->synced) return base_->systemClock();
    return base_->baseUnixTime + static_cast<int64_t>((base_->tick() - base_->baseTick) / 1000);
}

bool NtpClock::isFresh() {
    CriticalSectionLock hold(base_->lock);
    return base_->synced && base_->tick() - base_->lastSyncTick < kFreshForMs;
}

int64_t NtpClock::syncedTime() {
    CriticalSectionLock hold(base_->lock);
    return base_->synced ? base_->baseUnixTime : 0;
}

std::optional<int64_t> NtpClock::systemOffset() {
    CriticalSectionLock hold(base_->lock);
    if (!base_->synced) return std::nullopt;
    return base_->systemOffset;
}

NtpClock::Status NtpClock::status() {
    CriticalSectionLock hold(base_->lock);
    Status status;
    status.server = base_->lastServer;
    if (base_->synced) status.offset = base_->systemOffset;
    status.syncedTime = base_->synced ? base_->baseUnixTime : 0;
    status.failedTime = base_->lastFailureTime;
    return status;
}

void NtpClock::setReporter(std::function<void(const std::string&)> report) {
    CriticalSectionLock hold(base_->lock);
    base_->report = std::move(report);
}

}  // namespace mb
