#include "clock/win/ntp_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <set>

#include "clock/win/udp_responder.h"

namespace mb {
namespace {

using test::UdpResponder;

constexpr uint32_t kOffset = 2208988800u;
constexpr int64_t kMarchFirstNoon = 1740830400;

// A tick counter the test moves by hand. The clock's time base keeps the source (and with
// it the counter) alive for as long as any synchronisation thread still runs.
struct ManualTicks {
    std::shared_ptr<std::atomic<uint64_t>> value = std::make_shared<std::atomic<uint64_t>>(0);
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);

    NtpClock::TickSource source() const {
        return [value = value, calls = calls] {
            ++*calls;
            return value->load();
        };
    }
    void set(uint64_t ticks) const { *value = ticks; }
};

NtpClock::SystemClock fixedSystemClock(int64_t seconds) {
    return [seconds] { return seconds; };
}

NtpServer local(const UdpResponder& responder) { return {"127.0.0.1", responder.port()}; }

// Waits (bounded) until the clock reports a given synchronised time.
bool waitForSyncedTime(NtpClock& clock, int64_t expected, DWORD timeoutMs) {
    const uint64_t end = ::GetTickCount64() + timeoutMs;
    while (clock.syncedTime() != expected) {
        if (::GetTickCount64() >= end) return false;
        ::Sleep(5);
    }
    return true;
}

class NtpClockTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(responder.ready()); }
    UdpResponder responder;
    ManualTicks ticks;
};

TEST(NtpClockDefaults, FourPublicServersOnPort123InFixedOrder) {
    const std::vector<NtpServer> servers = NtpClock::defaultServers();
    ASSERT_EQ(servers.size(), 4u);
    std::set<std::string> hosts;
    for (const NtpServer& server : servers) {
        EXPECT_EQ(server.service, "123");
        hosts.insert(server.host);
    }
    EXPECT_EQ(hosts.size(), 4u);
    EXPECT_EQ(NtpClock::defaultServers()[0].host, servers[0].host);
}

TEST(NtpClockDefaults, BeforeAnySuccessNowIsTheSystemClock) {
    NtpClock clock;  // never synchronised: touches no network
    const int64_t before = static_cast<int64_t>(::_time64(nullptr));
    const int64_t now = clock.now();
    const int64_t after = static_cast<int64_t>(::_time64(nullptr));
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
    EXPECT_EQ(clock.syncedTime(), 0);
    EXPECT_FALSE(clock.isFresh());

    NtpClock injected({}, {}, fixedSystemClock(1234567));
    EXPECT_EQ(injected.now(), 1234567);
    EXPECT_EQ(injected.syncedTime(), 0);
}

TEST_F(NtpClockTest, GoodReplySetsTheBaseAndNowCountsWholeSecondsFromIt) {
    responder.script({UdpResponder::reply(kOffset + kMarchFirstNoon)});
    NtpClock clock({local(responder)}, ticks.source(), fixedSystemClock(42));
    ticks.set(123456);
    ASSERT_TRUE(clock.synchronize(false));

    const std::vector<uint8_t> request = responder.lastRequest();
    ASSERT_EQ(request.size(), 48u);
    EXPECT_EQ(request[0], 0x1B);
    for (std::size_t i = 1; i < request.size(); ++i) EXPECT_EQ(request[i], 0) << i;

    EXPECT_EQ(clock.syncedTime(), kMarchFirstNoon);
    EXPECT_EQ(clock.now(), kMarchFirstNoon);
    ticks.set(123456 + 999);
    EXPECT_EQ(clock.now(), kMarchFirstNoon);
    ticks.set(123456 + 1000);
    EXPECT_EQ(clock.now(), kMarchFirstNoon + 1);
    ticks.set(123456 + 2999);
    EXPECT_EQ(clock.now(), kMarchFirstNoon + 2);
    EXPECT_EQ(clock.syncedTime(), kMarchFirstNoon);  // does not advance between synchronisations

    ticks.set(123456 + 86399999);
    EXPECT_TRUE(clock.isFresh());
    ticks.set(123456 + 86400000);
    EXPECT_FALSE(clock.isFresh());
    EXPECT_EQ(clock.now(), kMarchFirstNoon + 86400);
}

TEST_F(NtpClockTest, SystemOffsetIsThePcClockMinusTheServerTimeOfTheLastSuccess) {
    auto system = std::make_shared<std::atomic<int64_t>>(kMarchFirstNoon + 90);
    NtpClock clock({local(responder)}, ticks.source(), [system] { return system->load(); });
    EXPECT_FALSE(clock.systemOffset().has_value());
    responder.script({UdpResponder::reply(kOffset + kMarchFirstNoon)});
    ASSERT_TRUE(clock.synchronize(false));
    EXPECT_EQ(clock.systemOffset(), 90) << "ahead";
    *system = kMarchFirstNoon + 2000 - 30;
    responder.script({UdpResponder::reply(kOffset + kMarchFirstNoon + 2000)});
    ASSERT_TRUE(clock.synchronize(false));
    EXPECT_EQ(clock.systemOffset(), -30) << "behind";
    *system = 0;
    responder.script({UdpResponder::truncated(kOffset + 5)});
    EXPECT_FALSE(clock.synchronize(false));
    EXPECT_EQ(clock.systemOffset(), -30) << "a failure keeps the last offset";
}

TEST_F(NtpClockTest, RefusedRepliesMoveToTheNextServerAfterAPause) {
    UdpResponder second;
    ASSERT_TRUE(second.ready());
    NtpClock clock({local(responder), local(second)}, ticks.source(), fixedSystemClock(42));
    int round = 0;
    for (const UdpResponder::Answer& refused :
         {UdpResponder::truncated(kOffset + 1000), UdpResponder::reply(0), UdpResponder::reply(kOffset - 1)}) {
        ++round;
        responder.script({refused});
        second.script({UdpResponder::reply(kOffset + 1000u * static_cast<uint32_t>(round))});
        ASSERT_TRUE(clock.synchronize(false)) << round;
        EXPECT_EQ(clock.syncedTime(), 1000 * round);
        // The same order every time: the refusing server is asked first again.
        ASSERT_EQ(responder.arrivals().size(), static_cast<std::size_t>(round));
        ASSERT_EQ(second.arrivals().size(), static_cast<std::size_t>(round));
        const uint64_t pause = second.arrivals().back() - responder.arrivals().back();
        EXPECT_GE(pause, 490u) << round;
        EXPECT_LT(pause, 2000u) << round;
    }
}

TEST_F(NtpClockTest, TransmitSecondsAtTheUnixEpochSynchroniseToZero) {
    responder.script({UdpResponder::reply(kOffset)});
    NtpClock clock({local(responder)}, ticks.source(), fixedSystemClock(1234567));
    ticks.set(5000);
    ASSERT_TRUE(clock.synchronize(false));
    EXPECT_EQ(clock.syncedTime(), 0);  // looks unsynchronised to the status line
    EXPECT_TRUE(clock.isFresh());
    ticks.set(8000);
    EXPECT_EQ(clock.now(), 3);  // runs from the base, not the system clock
}

TEST_F(NtpClockTest, UnresolvableFirstServerThenTheSecondAnswersAfterThePause) {
    responder.script({UdpResponder::reply(kOffset + kMarchFirstNoon)});
    NtpClock clock({{"no-such-host.invalid", "123"}, local(responder)}, ticks.source());
    const uint64_t start = ::GetTickCount64();
    ASSERT_TRUE(clock.synchronize(false));
    ASSERT_EQ(responder.arrivals().size(), 1u);
    const uint64_t waited = responder.arrivals()[0] - start;
    EXPECT_GE(waited, 490u);
    EXPECT_LT(waited, 4000u);
    std::printf("unresolvable server: second server asked %llu ms after the start\n",
                static_cast<unsigned long long>(waited));
    EXPECT_EQ(clock.syncedTime(), kMarchFirstNoon);
}

TEST_F(NtpClockTest, FailureKeepsThePreviousState) {
    NtpClock clock({local(responder)}, ticks.source(), fixedSystemClock(777));
    // Before any success a failed round leaves the system clock in charge.
    responder.script({UdpResponder::truncated(kOffset + 5)});
    uint64_t start = ::GetTickCount64();
    EXPECT_FALSE(clock.synchronize(false));
    EXPECT_GE(::GetTickCount64() - start, 490u);  // the pause follows the last server too
    EXPECT_EQ(clock.now(), 777);
    EXPECT_EQ(clock.syncedTime(), 0);
    EXPECT_FALSE(clock.isFresh());

    responder.script({UdpResponder::reply(kOffset + kMarchFirstNoon)});
    ticks.set(10000);
    ASSERT_TRUE(clock.synchronize(false));

    responder.script({UdpResponder::reply(0)});
    ticks.set(15000);
    start = ::GetTickCount64();
    EXPECT_FALSE(clock.synchronize(false));
    EXPECT_GE(::GetTickCount64() - start, 490u);
    EXPECT_EQ(clock.syncedTime(), kMarchFirstNoon);
    EXPECT_EQ(clock.now(), kMarchFirstNoon + 5);  // still from the base taken at tick 10000
    EXPECT_TRUE(clock.isFresh());
}

TEST_F(NtpClockTest, SilentServerCostsTheFiveSecondTimeout) {
    UdpResponder second;
    ASSERT_TRUE(second.ready());
    responder.script({UdpResponder::silence()});
    second.script({UdpResponder::reply(kOffset + kMarchFirstNoon)});
    NtpClock clock({local(responder), local(second)}, ticks.source());
    ASSERT_TRUE(clock.synchronize(false));
    const uint64_t waited = second.arrivals().at(0) - responder.arrivals().at(0);
    EXPECT_GE(waited, 5400u);
    EXPECT_LT(waited, 8000u);
    EXPECT_EQ(clock.syncedTime(), kMarchFirstNoon);
}

TEST_F(NtpClockTest, AsyncReturnsAtOnceAndTheThreadStores) {
    responder.script({UdpResponder::reply(kOffset + kMarchFirstNoon, 300)});
    NtpClock clock({local(responder)}, ticks.source(), fixedSystemClock(99));
    const uint64_t start = ::GetTickCount64();
    EXPECT_TRUE(clock.synchronize(true));
    EXPECT_LT(::GetTickCount64() - start, 250u);
    EXPECT_EQ(clock.syncedTime(), 0);
    EXPECT_TRUE(waitForSyncedTime(clock, kMarchFirstNoon, 5000));
}

TEST_F(NtpClockTest, TwoSynchronisationsAtOnceTheLastStoreWinsWhole) {
    // The first request is answered late, the second at once: the late answer stores last.
    responder.script({UdpResponder::reply(kOffset + 2000000, 800), UdpResponder::reply(kOffset + 1000000)});
    NtpClock clock({local(responder)}, ticks.source());
    ticks.set(5000);
    ASSERT_TRUE(clock.synchronize(true));
    ASSERT_TRUE(responder.waitForRequests(1, 3000));
    ASSERT_TRUE(clock.synchronize(true));
    ASSERT_TRUE(waitForSyncedTime(clock, 1000000, 3000));
    EXPECT_EQ(clock.now(), 1000000);
    ticks.set(7000);  // the late store takes this tick
    ASSERT_TRUE(waitForSyncedTime(clock, 2000000, 3000));
    ticks.set(10500);
    // Base time and base tick come from the same store: 3 s after tick 7000.
    EXPECT_EQ(clock.now(), 2000003);
    EXPECT_EQ(clock.syncedTime(), 2000000);
}

TEST_F(NtpClockTest, ClockDestroyedDuringASynchronisationIsSafe) {
    responder.script({UdpResponder::reply(kOffset + kMarchFirstNoon, 1200)});
    {
        NtpClock clock({local(responder)}, ticks.source());
        ASSERT_TRUE(clock.synchronize(true));
        ASSERT_TRUE(responder.waitForRequests(1, 3000));
        EXPECT_EQ(*ticks.calls, 0);
    }  // gone while its thread waits for the answer
    ASSERT_TRUE(responder.waitForReplies(1, 5000));
    // The late thread stores (it reads the tick under the lock) into its own time base.
    const uint64_t end = ::GetTickCount64() + 3000;
    while (*ticks.calls == 0 && ::GetTickCount64() < end) ::Sleep(5);
    EXPECT_EQ(*ticks.calls, 1);
    // Once the thread ends, the time base, and with it the source, is freed.
    const uint64_t freedBy = ::GetTickCount64() + 3000;
    while (ticks.value.use_count() > 1 && ::GetTickCount64() < freedBy) ::Sleep(5);
    EXPECT_EQ(ticks.value.use_count(), 1);
}

}  // namespace
}  // namespace mb
