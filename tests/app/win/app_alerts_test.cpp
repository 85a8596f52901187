// Alerts of a real TrackerApp against the deterministic simulator: the balloons its tray icon
// gets when the clock, the countdown and the data each make an alert due, and not one tray
// call more than without alerts while they are off. Tray calls are recorded through the seam.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/alert_outbox.h"
#include "app/win/app_test_bench.h"
#include "support/win/sim_control.h"
#include "support/win/window_lookup.h"

namespace mb {
namespace {

using test::AppBench;
using test::pumpMessages;
using test::pumpUntil;

constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

struct TrayCall {
    DWORD verb;
    NOTIFYICONDATAW data;
    BOOL result;
    ULONGLONG tick;
};

std::string serverTime(int64_t unixTime) {
    const __time64_t time = unixTime;
    tm parts{};
    ::_gmtime64_s(&parts, &time);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

class AppAlerts : public test::SimulatorTest {
protected:
    void SetUp() override {
        test::SimulatorTest::SetUp();
        ASSERT_TRUE(test::ReadSimulatorNow(simNow));
    }
    // The application with its tray calls recorded (the shell's answer kept real) and its
    // alert sound counted.
    bool start(AppBench& bench) {
        bench.app = std::make_unique<TrackerApp>(bench.iniPath());
        bench.app->tray().setShell([this](DWORD verb, NOTIFYICONDATAW* data) {
            const BOOL result = ::Shell_NotifyIconW(verb, data);
            trayCalls.push_back({verb, *data, result, ::GetTickCount64()});
            return result;
        });
        bench.app->alerts().setSound([this] { ++sounds; });
        return bench.app->createMainWindow();
    }
    std::vector<TrayCall> balloons() const {
        std::vector<TrayCall> found;
        for (const TrayCall& call : trayCalls) {
            if (call.data.uFlags & NIF_INFO) found.push_back(call);
        }
        return found;
    }

    int64_t simNow = 0;
    std::vector<TrayCall> trayCalls;
    int sounds = 0;
};

TEST_F(AppAlerts, WithoutTheSectionOrWithOnlyUnusableValuesTheTrayCallsAreThoseWithoutAlerts) {
    for (const bool garbage : {false, true}) {
        trayCalls.clear();
        test::LocalNtpServer ntp(simNow);  // a year away from this PC's clock
        AppBench bench(urls.http, ntp.address());
        const wchar_t* keys[] = {L"SpawnLeadSeconds", L"HealthBelowPercent", L"ClockWarnSeconds", L"Sound"};
        const wchar_t* values[] = {L"abc", L"150", L"-5", L"7"};
        for (int i = 0; garbage && i < 4; ++i) bench.put(L"Alerts", keys[i], values[i]);
        ASSERT_TRUE(start(bench));
        TrackerApp& app = *bench.app;
        ASSERT_TRUE(pumpUntil([&] { return app.tray().shownIcon() == app.tray().connectedIcon(); }, 20000)) << garbage;
        pumpMessages(1000);
        EXPECT_TRUE(!app.config().alerts.anyOn() && app.config().alerts.sound) << garbage;
        EXPECT_FALSE(app.feed().state().selectedBossId.empty());
        EXPECT_EQ(app.alerts().watchedCount(), 0u) << "the alert rules never ran";
        ASSERT_GE(trayCalls.size(), 2u);
        for (size_t i = 0; i < trayCalls.size(); ++i) {
            const NOTIFYICONDATAW& data = trayCalls[i].data;
            EXPECT_EQ(trayCalls[i].verb, static_cast<DWORD>(i == 0 ? NIM_ADD : NIM_MODIFY)) << i;
            EXPECT_TRUE(data.uFlags == kIconFlags && !data.szInfo[0] && !data.szInfoTitle[0] && !data.dwInfoFlags) << i;
        }
        EXPECT_EQ(sounds, 0);
        EXPECT_EQ(app.bossView().banner().window(), nullptr) << "no banner without alerts";
        ::DestroyWindow(bench.window());
        pumpMessages();
        EXPECT_EQ(bench.get(L"Alerts", L"SpawnLeadSeconds"), garbage ? L"abc" : L"<absent>") << "never written";
    }
}

TEST_F(AppAlerts, TheClockTheSpawnLeadAndLowChannelsEachReachTheTrayAsOneBalloonInOrder) {
    // One answer only: later synchronisations go unanswered, so the clock runs on from it.
    test::UdpResponder ntp;
    ntp.script({test::UdpResponder::reply(static_cast<uint32_t>(simNow + 2208988800LL))});
    AppBench bench(urls.http, "127.0.0.1:" + ntp.port());
    bench.put(L"Alerts", L"SpawnLeadSeconds", L"1788");  // a half-hourly boss is 1800 s away at 12:00:00
    bench.put(L"Alerts", L"HealthBelowPercent", L"20");
    bench.put(L"Alerts", L"ClockWarnSeconds", L"60");
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    ASSERT_TRUE(
        pumpUntil([&] { return app.bossView().selector().itemCount() > 0 && app.clock().syncedTime() == simNow; },
                  20000));

    // The half-hourly boss, chosen while its spawn is still further away than the lead.
    std::vector<Boss> list;
    {
        CriticalSectionLock hold(app.feed().state().stateLock);
        list = app.feed().state().bosses;
    }
    size_t chosen = 0;
    const auto halfHourly = [](const Boss& boss) { return boss.respawn_time == 30 && boss.type != "magical_creature"; };
    while (chosen < list.size() && !halfHourly(list[chosen])) ++chosen;
    ASSERT_LT(chosen, list.size());
    app.bossView().selector().setSelection(static_cast<int>(chosen) + 1);  // after "All bosses"
    app.onBossSelected();
    ASSERT_LT(app.clock().now(), simNow + 12) << "loaded too late to see the countdown cross the lead";
    ASSERT_TRUE(pumpUntil([&] { return balloons().size() >= 2; }, 20000));

    // Two channels fall low at once in the next polls: one balloon for both, once.
    nlohmann::json low = nlohmann::json::array();
    for (const auto& [channel, hp, etd] : {std::tuple{77, 18, 65.0}, {78, 9, -1.0}}) {
        low.push_back({{"channel_number", channel},
                       {"last_hp", hp},
                       {"last_update", serverTime(simNow + 12)},
                       {"dps", 0.28},
                       {"etd", etd},
                       {"death_time_estimate", ""}});
    }
    const nlohmann::json body = {{"channel_status", {{list[chosen].id, low}}}, {"time", serverTime(simNow)}};
    ASSERT_TRUE(sim->setFault(test::SimFault("/api/all_status", "status", {{"code", 200}, {"body", body.dump()}})));
    ASSERT_TRUE(pumpUntil([&] { return balloons().size() >= 3; }, 10000));
    pumpMessages(3500);

    const std::vector<TrayCall> shown = balloons();
    for (const TrayCall& call : shown) std::printf("balloon: %ls\n", call.data.szInfo);
    ASSERT_EQ(shown.size(), 3u) << "each alert once";
    const int64_t offset = app.clock().systemOffset().value_or(0);  // this PC's clock against the responder's
    const wchar_t* side = offset > 0 ? L" s ahead of network time" : L" s behind network time";
    EXPECT_EQ(std::wstring(shown[0].data.szInfo), L"Your PC clock is " + std::to_wstring(std::llabs(offset)) + side);
    const std::wstring name = Utf8ToWide(list[chosen].name);
    EXPECT_EQ(std::wstring(shown[1].data.szInfo), name + L" spawns in 29m 48s");
    EXPECT_EQ(std::wstring(shown[2].data.szInfo),
              name + L": channel 77 at 18%, 1m 5s left\n" + name + L": channel 78 at 9%");
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(shown[i].verb == NIM_MODIFY && shown[i].data.uFlags == NIF_INFO && shown[i].data.uID == 1) << i;
        EXPECT_STREQ(shown[i].data.szInfoTitle, L"Marrowbell") << i;
        EXPECT_EQ(shown[i].data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_NOSOUND)) << i;
        EXPECT_TRUE(shown[i].result) << "the shell took balloon " << i;
        EXPECT_GE(i > 0 ? shown[i].tick - shown[i - 1].tick : 3000u, 2900u) << "at most one balloon every 3 s";
    }
    EXPECT_EQ(sounds, 3);
    // The banner over the list shows the latest alert as one line.
    HWND banner = app.bossView().banner().window();
    EXPECT_TRUE(::IsWindowVisible(banner));
    EXPECT_EQ(tools::windowText(banner),
              name + L": channel 77 at 18%, 1m 5s left \u00B7 " + name + L": channel 78 at 9%");
    // It lies over the top of the list, inside its frame (not over the cache line above), and
    // goes once its time is up.
    RECT over{}, listRect{};
    ::GetWindowRect(banner, &over);
    ::GetWindowRect(app.bossView().list().window(), &listRect);
    EXPECT_TRUE(over.left == listRect.left + 1 && over.top == listRect.top + 1 && over.right == listRect.right - 1 &&
                over.bottom < listRect.bottom);
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindowVisible(banner); }, kBannerShowMs + 2000));
    for (const TrayCall& call : trayCalls) {
        EXPECT_TRUE((call.data.uFlags & NIF_INFO) || (call.data.uFlags == kIconFlags && !call.data.szInfo[0]));
    }

    // Without sound nothing plays; the shell is asked for silence either way.
    AlertBalloons quiet;  // alerts afresh: the clock warning again
    quiet.setSound([this] { ++sounds; });
    app.config().alerts.sound = false;
    quiet.refreshAlerts(false, ::GetTickCount64(), app.config().alerts, app.clock(), app.feed().state(), {},
                        app.tray());
    EXPECT_TRUE(trayCalls.back().result && trayCalls.back().data.dwInfoFlags == (NIIF_INFO | NIIF_NOSOUND));
    EXPECT_EQ(balloons().size(), 4u);
    EXPECT_EQ(sounds, 3);
}

}  // namespace
}  // namespace mb
