// The loader, the poller and the connection state of a real TrackerApp against the tracker
// simulator, read from the simulator's request log and from the shared state, with the
// window's own message loop running on this thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_constants.h"
#include "app/win/app_test_bench.h"
#include "support/win/sim_control.h"
#include "support/win/window_lookup.h"

namespace mb {
namespace {

using test::AppBench;
using test::SimFault;
using test::SimRequest;
using test::pumpMessages;
using test::pumpUntil;

constexpr char kBosses[] = "/api/collections/mobs/records";
constexpr char kAllStatus[] = "/api/all_status";
constexpr char kChannels[] = "/api/collections/mob_channel_status/records";
constexpr char kStatus[] = "/api/status";

class AppWorkers : public test::SimulatorTest {
protected:
    void SetUp() override {
        test::SimulatorTest::SetUp();
        ASSERT_TRUE(ntp.ready());
    }

    std::vector<SimRequest> requestsTo(const std::string& path) {
        std::vector<SimRequest> all;
        EXPECT_TRUE(sim->readLog(all));
        std::vector<SimRequest> matching;
        for (const SimRequest& request : all) {
            if (request.path.substr(0, request.path.find('?')) == path) matching.push_back(request);
        }
        return matching;
    }
    static std::vector<double> gapsMs(const std::vector<SimRequest>& requests) {
        std::vector<double> gaps;
        for (size_t i = 1; i < requests.size(); ++i) gaps.push_back((requests[i].time - requests[i - 1].time) * 1000.0);
        return gaps;
    }
    void arm(const nlohmann::json& fault) { ASSERT_TRUE(sim->setFault(fault)); }

    // Starts the application against the simulator's plain-HTTP listener and waits for
    // the initial load to be applied.
    void startLoaded(AppBench& bench) {
        ASSERT_TRUE(bench.start());
        ASSERT_TRUE(pumpUntil([&] { return bench.app->feed().connectionState() == Connected; }, 20000))
            << "the initial load was not announced";
    }

    int32_t dotPhase(TrackerApp& app) {
        CriticalSectionLock hold(app.feed().state().stateLock);
        return app.feed().state().dotPhase;
    }

    test::LocalNtpServer ntp;
};

TEST_F(AppWorkers, LoaderRetriesEverySecondUntilTheServerAnswersThenAnnouncesTheLoad) {
    arm(SimFault(kBosses, "status", {{"code", 503}}));
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(bench.start());
    pumpMessages(3300);

    const auto attempts = requestsTo(kBosses);
    ASSERT_GE(attempts.size(), 3u);
    ASSERT_LE(attempts.size(), 4u);
    for (double gap : gapsMs(attempts)) {
        EXPECT_GE(gap, 950.0);
        EXPECT_LE(gap, 1600.0);
    }
    EXPECT_TRUE(requestsTo(kAllStatus).empty()) << "the shared client has no base URL before the load";
    EXPECT_TRUE(requestsTo(kStatus).empty());
    EXPECT_EQ(bench.app->feed().connectionState(), Disconnected);
    EXPECT_EQ(bench.app->feed().api().baseUrlText(), "");

    arm(SimFault(kBosses, "none"));  // the server comes up
    ASSERT_TRUE(pumpUntil([&] { return bench.app->feed().connectionState() == Connected; }, 20000));
    EXPECT_EQ(bench.app->feed().api().baseUrlText(), urls.http);

    std::vector<std::string> ids;
    {
        CriticalSectionLock hold(bench.app->feed().state().stateLock);
        ASSERT_EQ(bench.app->feed().state().bosses.size(), 12u);
        for (const Boss& boss : bench.app->feed().state().bosses) {
            ids.push_back(boss.id);
            auto entry = bench.app->feed().state().bossStatus.find(boss.id);
            ASSERT_NE(entry, bench.app->feed().state().bossStatus.end());
            EXPECT_EQ(entry->second.boss.name, boss.name);
        }
    }
    // One channel fetch per boss, in the order of the list.
    const auto channels = requestsTo(kChannels);
    ASSERT_EQ(channels.size(), ids.size());
    for (size_t i = 0; i < ids.size(); ++i) EXPECT_NE(channels[i].path.find(ids[i]), std::string::npos);
}

TEST_F(AppWorkers, ABossWhoseChannelFetchFailsIsRetriedEverySecondWhileTheOthersShow) {
    std::vector<Boss> list;
    ASSERT_TRUE(ApiClient(urls.http).fetchBosses(list));
    const std::string broken = list.front().id;
    const auto fetchesOfBroken = [&] {
        size_t count = 0;
        for (const SimRequest& request : requestsTo(kChannels)) count += request.path.find(broken) != std::string::npos;
        return count;
    };
    arm(SimFault(kChannels, "status", {{"code", 500}, {"query", {{"filter", "(mob='" + broken + "')"}}}}));
    AppBench bench(urls.http, ntp.address());
    startLoaded(bench);
    TrackerApp& app = *bench.app;
    EXPECT_EQ(app.bossView().selector().itemCount(), 13);  // "All bosses" and the twelve
    const auto rowsOf = [&](int index) {
        app.bossView().selector().setSelection(index + 1);  // after "All bosses"
        app.onBossSelected();
        return app.bossView().list().rowCount();
    };
    EXPECT_GT(rowsOf(1), 0);
    EXPECT_TRUE(pumpUntil([&] { return fetchesOfBroken() >= 3; }, 5000))
        << "once in the pass, then every second in the background";

    // With the polls failing and what they gave it gone, only the loader's retry can give the
    // broken boss its rows.
    arm(SimFault(kAllStatus, "status", {{"code", 503}}));
    ASSERT_TRUE(pumpUntil([&] { return app.feed().connectionState() == Disconnected; }, 10000));
    {
        CriticalSectionLock hold(app.feed().state().stateLock);
        app.feed().state().bossStatus.erase(broken);
    }
    arm(SimFault(kChannels, "none"));
    ASSERT_TRUE(pumpUntil(
        [&] {
            CriticalSectionLock hold(app.feed().state().stateLock);
            return app.feed().state().bossStatus[broken].boss.id == broken;
        },
        3000));
    const size_t fetches = fetchesOfBroken();
    EXPECT_GT(rowsOf(0), 0);
    pumpMessages(1500);
    EXPECT_EQ(fetchesOfBroken(), fetches) << "a boss is fetched until it succeeds, and no more";
}

TEST_F(AppWorkers, PollerPausesHalfASecondAfterEachPollAndOneAndAHalfWhileFailing) {
    AppBench bench(urls.http, ntp.address());
    startLoaded(bench);

    ASSERT_TRUE(sim->clearLog());
    pumpMessages(4000);
    auto polls = requestsTo(kAllStatus);
    ASSERT_GE(polls.size(), 5u);
    for (double gap : gapsMs(polls)) {
        EXPECT_GE(gap, 500.0);
        EXPECT_LE(gap, 1000.0);
    }
    EXPECT_GE(requestsTo(kStatus).size() + 1, polls.size()) << "every poll is followed by the status probe";

    arm(SimFault(kAllStatus, "status", {{"code", 503}}));
    ASSERT_TRUE(sim->clearLog());
    pumpMessages(5500);
    polls = requestsTo(kAllStatus);
    ASSERT_GE(polls.size(), 3u);
    for (double gap : gapsMs(polls)) {
        EXPECT_GE(gap, 1500.0);
        EXPECT_LE(gap, 2100.0);
    }
    EXPECT_GE(requestsTo(kStatus).size() + 1, polls.size()) << "the probe runs after failed polls too";
    EXPECT_EQ(bench.app->feed().connectionState(), Disconnected);
    EXPECT_EQ(tools::windowText(bench.app->statusLine().label().window()).rfind(L"Disconnected | NTP: ", 0), 0u);

    arm(SimFault(kAllStatus, "none"));
    EXPECT_TRUE(pumpUntil([&] { return bench.app->feed().connectionState() == Connected; }, 10000))
        << "the next good poll";
    EXPECT_EQ(tools::windowText(bench.app->statusLine().label().window()).rfind(L"\u25CF Connected | ", 0), 0u);
}

TEST_F(AppWorkers, EachSuccessfulPollRaisesDataChangedAndAdvancesTheDots) {
    AppBench bench(urls.http, ntp.address());
    startLoaded(bench);
    TrackerApp& app = *bench.app;

    // Follow the dots for a while: one step per successful poll, and the 100 ms timer takes
    // every dataChanged away within its period.
    ASSERT_TRUE(sim->clearLog());
    int32_t phase = dotPhase(app);
    int steps = 0;
    uint32_t firstTick = app.feed().lastDataTick();
    const ULONGLONG end = ::GetTickCount64() + 3000;
    while (::GetTickCount64() < end) {
        pumpMessages(10);
        const int32_t now = dotPhase(app);
        if (now != phase) {
            EXPECT_EQ(now, nextDotPhase(phase));
            phase = now;
            ++steps;
        }
    }
    const size_t polls = requestsTo(kAllStatus).size();
    EXPECT_GE(steps, 3);
    EXPECT_LE(static_cast<size_t>(steps), polls + 1);
    EXPECT_GE(static_cast<size_t>(steps) + 1, polls);
    EXPECT_NE(app.feed().lastDataTick(), firstTick) << "the refresh timer applied the new data";
    ASSERT_TRUE(pumpUntil(
        [&] {
            CriticalSectionLock hold(app.feed().state().stateLock);
            return !app.feed().state().dataChanged;
        },
        300));
    {
        CriticalSectionLock hold(app.feed().state().stateLock);
        EXPECT_EQ(app.feed().state().bossStatus.size(), 12u);
        EXPECT_GE(app.feed().state().cacheAgeSeconds, 0.0) << "the probe's cache age is stored";
    }

    // Failing polls change nothing.
    arm(SimFault(kAllStatus, "status", {{"code", 503}}));
    pumpMessages(1000);  // a poll that was on its way may still land
    phase = dotPhase(app);
    firstTick = app.feed().lastDataTick();
    pumpMessages(3500);
    EXPECT_EQ(dotPhase(app), phase);
    EXPECT_EQ(app.feed().lastDataTick(), firstTick);
    CriticalSectionLock hold(app.feed().state().stateLock);
    EXPECT_FALSE(app.feed().state().dataChanged);
}

TEST_F(AppWorkers, ConnectedAfterTheLoadAndDisconnectedWhenTheConnectionStops) {
    AppBench bench(urls.http, ntp.address());
    startLoaded(bench);
    EXPECT_EQ(bench.app->feed().api().record().state, Connected);

    bench.app->feed().api().stopConnection();
    ASSERT_TRUE(pumpUntil([&] { return bench.app->feed().connectionState() == Disconnected; }, 2000));
    EXPECT_EQ(bench.app->feed().api().record().state, Disconnected);
    EXPECT_EQ(bench.app->feed().api().lastErrorText(), "Stopped");
}

TEST_F(AppWorkers, NtpTimerSlowsToFiveMinutesAfterTheFirstSuccess) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(bench.start());
    TrackerApp& app = *bench.app;
    EXPECT_EQ(app.ntpTimerPeriod(), kNtpRetryPeriodMs);
    ASSERT_TRUE(pumpUntil([&] { return app.clock().isFresh(); }, 5000)) << "the first synchronisation at start-up";
    const int before = ntp.requests();

    ::SendMessageW(app.window(), WM_TIMER, kTimerNtp, 0);
    EXPECT_EQ(app.ntpTimerPeriod(), kNtpRefreshPeriodMs);
    EXPECT_TRUE(pumpUntil([&] { return ntp.requests() > before; }, 3000)) << "each tick synchronises again";
}

TEST_F(AppWorkers, NtpTimerKeepsRetryingEveryTenSecondsWhileNoServerAnswers) {
    // A port with nothing behind it: every query times out.
    AppBench bench(urls.http, test::closedPortUrl().substr(std::string("http://").size()));
    ASSERT_TRUE(bench.start());
    pumpMessages(300);
    ::SendMessageW(bench.app->window(), WM_TIMER, kTimerNtp, 0);
    EXPECT_FALSE(bench.app->clock().isFresh());
    EXPECT_EQ(bench.app->ntpTimerPeriod(), kNtpRetryPeriodMs);
}

}  // namespace
}  // namespace mb
