// The main window of a real TrackerApp against the deterministic simulator, with a clock set
// to the simulator's time: the boss selector after the load, the restored boss, the channel
// rows and their colours, the countdown and status texts, the sliders, click-through, hiding,
// and the layout frozen while the selector's popup is open.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/app_constants.h"
#include "app/win/app_test_bench.h"
#include "support/win/box_watcher.h"
#include "app/row_assembly.h"
#include "controls/progress_list_text.h"
#include "core/channel_order.h"
#include "core/freshness.h"
#include "desktop/click_through_styles.h"
#include "desktop/win/tracker_address_dialog.h"
#include "support/win/sim_control.h"
#include "support/win/window_lookup.h"

namespace mb {
namespace {

using test::AppBench;
using tools::windowText;
using test::pumpMessages;
using test::pumpUntil;

std::vector<std::wstring> lines(const std::wstring& text) {
    std::vector<std::wstring> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

RECT childRect(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class AppWindow : public test::SimulatorTest {
protected:
    void SetUp() override {
        test::SimulatorTest::SetUp();
        ASSERT_TRUE(test::ReadSimulatorNow(simNow));
        ntp = std::make_unique<test::LocalNtpServer>(simNow);
        ASSERT_TRUE(ntp->ready());
    }
    // Starts the application and waits until the initial load is applied with the clock at
    // the simulator's time.
    void startLoaded(AppBench& bench) {
        ASSERT_TRUE(bench.start());
        ASSERT_TRUE(pumpUntil([&] { return bench.app->feed().connectionState() == Connected; }, 20000));
        ASSERT_GE(bench.app->clock().syncedTime(), simNow) << "the clock did not take the responder's time";
    }
    std::vector<Boss> bosses(TrackerApp& app) {
        CriticalSectionLock hold(app.feed().state().stateLock);
        return app.feed().state().bosses;
    }
    std::vector<ChannelStatus> channelsOf(TrackerApp& app, const std::string& id) {
        CriticalSectionLock hold(app.feed().state().stateLock);
        auto found = app.feed().state().bossStatus.find(id);
        return found == app.feed().state().bossStatus.end() ? std::vector<ChannelStatus>{} : found->second.channels;
    }

    int64_t simNow = 0;
    std::unique_ptr<test::LocalNtpServer> ntp;
};

TEST_F(AppWindow, TheLoadFillsTheSelectorPicksAFreshBossAndALaterStartRestoresTheLastOne) {
    std::string restored;
    {
        AppBench bench(urls.http, ntp->address());
        startLoaded(bench);
        TrackerApp& app = *bench.app;
        const std::vector<Boss> list = bosses(app);
        ASSERT_EQ(app.bossView().selector().itemCount(), static_cast<int>(list.size()) + 1) << "All bosses first";
        const int64_t now = app.clock().now();
        int firstFresh = -1;
        for (size_t i = 0; i < list.size(); ++i) {
            const ComboItem* item = app.bossView().selector().item(static_cast<int>(i) + 1);
            ASSERT_NE(item, nullptr);
            const std::vector<ChannelStatus> channels = channelsOf(app, list[i].id);
            int fresh = 0;
            for (const ChannelStatus& report : channels) fresh += isReportFresh(report, now);
            EXPECT_EQ(item->text, list[i].name);
            EXPECT_EQ(item->totalCount, static_cast<int>(channels.size()));
            EXPECT_EQ(item->activeCount, fresh) << list[i].name;
            EXPECT_EQ(item->color, fresh > 0 ? 0x00B400u : 0x0000FFu) << list[i].name;
            EXPECT_EQ(static_cast<const Boss*>(item->data)->id, list[i].id);
            if (fresh > 0 && firstFresh < 0) firstFresh = static_cast<int>(i);
        }
        ASSERT_GE(firstFresh, 0) << "the simulator's world has fresh reports at its own time";
        EXPECT_EQ(app.bossView().selector().selectedIndex(), firstFresh + 1);
        EXPECT_EQ(app.feed().state().selectedBossId, list[static_cast<size_t>(firstFresh)].id);
        EXPECT_EQ(windowText(app.bossView().title().window()), Utf8ToWide(list[static_cast<size_t>(firstFresh)].name));

        // Another boss is chosen in the popup, as a user would; it is the one saved.
        const int other = (firstFresh + 1) % static_cast<int>(list.size());
        restored = list[static_cast<size_t>(other)].id;
        const int otherItem = other + 1;
        app.bossView().selector().showPopup();
        ASSERT_TRUE(app.look().bossListOpen);
        for (int i = app.bossView().selector().hoverIndex(); i < otherItem; ++i) {
            ::SendMessageW(app.bossView().selector().popupWindow(), WM_KEYDOWN, VK_DOWN, 0);
        }
        for (int i = app.bossView().selector().hoverIndex(); i > otherItem; --i) {
            ::SendMessageW(app.bossView().selector().popupWindow(), WM_KEYDOWN, VK_UP, 0);
        }
        ::SendMessageW(app.bossView().selector().popupWindow(), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_FALSE(app.look().bossListOpen);
        EXPECT_EQ(app.feed().state().selectedBossId, restored);
        ::DestroyWindow(bench.window());
        pumpMessages();
        EXPECT_EQ(bench.get(L"Selection", L"LastBoss"), Utf8ToWide(restored));
        bench.destroyApp();

        AppBench again(urls.http, ntp->address());
        again.put(L"Selection", L"LastBoss", Utf8ToWide(restored));
        startLoaded(again);
        EXPECT_EQ(again.app->feed().state().selectedBossId, restored);
        EXPECT_EQ(again.app->bossView().selector().selectedIndex(), otherItem);
        EXPECT_EQ(windowText(again.app->bossView().selector().window()),
                  Utf8ToWide(list[static_cast<size_t>(other)].name))
            << "the selector reads as it shows";
    }
}

TEST_F(AppWindow, AllBossesGivesEachFreshBossItsFirstRowInOrderAClickChoosesOneARestartKeepsIt) {
    AppBench bench(urls.http, ntp->address());
    startLoaded(bench);
    TrackerApp& app = *bench.app;
    BossView& view = app.bossView();
    // Chosen in the popup as a user would: the first item.
    view.selector().showPopup();
    for (int i = view.selector().hoverIndex(); i > 0; --i)
        ::SendMessageW(view.selector().popupWindow(), WM_KEYDOWN, VK_UP, 0);
    ::SendMessageW(view.selector().popupWindow(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(view.showingAllBosses());
    const std::vector<Boss> list = bosses(app);
    const int64_t now = app.clock().now();
    std::vector<std::pair<std::wstring, ChannelStatus>> expected;  // each fresh boss's own first row
    for (const Boss& boss : list) {
        const std::vector<ChannelRow> own = buildChannelRows(channelsOf(app, boss.id), now);
        if (own.empty() || own[0].textColor != 0) continue;  // no fresh row
        for (const ChannelStatus& report : channelsOf(app, boss.id))
            if (report.channel_number == own[0].channel)
                expected.emplace_back(Utf8ToWide(boss.name) + L": " + progress_list::rowAccessibleText(own[0]), report);
    }
    ASSERT_GE(expected.size(), 2u) << "the simulator's world has several bosses with fresh reports";
    const std::vector<std::wstring> shown = lines(windowText(view.list().window()));
    ASSERT_EQ(shown.size(), expected.size());
    for (size_t i = 0; i < shown.size(); ++i) {  // expected is put in the order shown, checked pairwise
        const auto at = expected.begin() + static_cast<std::ptrdiff_t>(i);
        const auto row = std::find_if(at, expected.end(), [&](const auto& e) { return e.first == shown[i]; });
        ASSERT_NE(row, expected.end()) << "row " << i;
        if (i > 0) {
            EXPECT_FALSE(channelComesBefore(row->second, expected[i - 1].second, now)) << "row " << i;
        }
        std::iter_swap(row, at);
    }

    // A click on the second row shows that boss.
    const std::wstring second = shown[1].substr(0, shown[1].find(L": "));
    ::SendMessageW(view.list().window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, view.list().rowHeight() * 3 / 2));
    EXPECT_FALSE(view.showingAllBosses());
    EXPECT_EQ(windowText(view.title().window()), second);

    // Back to all; it is what the next start shows.
    view.select(0);
    app.onBossSelected();
    ::DestroyWindow(bench.window());
    pumpMessages();
    EXPECT_EQ(bench.get(L"Selection", L"View"), L"All");
    bench.destroyApp();
    AppBench again(urls.http, ntp->address());
    again.put(L"Selection", L"View", L"All");
    startLoaded(again);
    EXPECT_TRUE(again.app->bossView().showingAllBosses());
    EXPECT_EQ(windowText(again.app->bossView().selector().window()), L"All bosses");
}

TEST_F(AppWindow, RowsFollowTheChannelOrderWithStaleRowsGreyedAndTheirTextReadable) {
    AppBench bench(urls.http, ntp->address());
    startLoaded(bench);
    TrackerApp& app = *bench.app;
    // The boss with the most stale and fresh reports side by side shows both kinds of row.
    const std::vector<Boss> list = bosses(app);
    const int64_t now = app.clock().now();
    int best = -1;
    size_t bestScore = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        size_t fresh = 0, stale = 0;
        for (const ChannelStatus& report : channelsOf(app, list[i].id)) {
            fresh += isReportFresh(report, now);
            stale += isReportStale(report, now);
        }
        if (std::min(fresh, stale) > bestScore) bestScore = std::min(fresh, stale), best = static_cast<int>(i);
    }
    ASSERT_GE(best, 0);
    app.bossView().selector().setSelection(best + 1);  // after "All bosses"
    app.onBossSelected();

    std::vector<ChannelStatus> live;
    for (const ChannelStatus& report : channelsOf(app, list[static_cast<size_t>(best)].id)) {
        if (report.last_hp != 0) live.push_back(report);
    }
    const std::vector<std::wstring> shown = lines(windowText(app.bossView().list().window()));
    ASSERT_EQ(shown.size(), live.size());
    // Every fresh row comes before every stale one; each line names its channel and health.
    const std::wregex row(LR"(^Ch\. +(\d+) \| +(\d+)%(  .+)?$)");
    bool staleSeen = false;
    for (const std::wstring& line : shown) {
        std::wsmatch match;
        ASSERT_TRUE(std::regex_match(line, match, row)) << "unexpected row text";
        const int channel = std::stoi(match[1].str());
        auto report = std::find_if(live.begin(), live.end(),
                                   [&](const ChannelStatus& r) { return r.channel_number == channel; });
        ASSERT_NE(report, live.end());
        EXPECT_EQ(std::stoi(match[2].str()), report->last_hp);
        const bool stale = isReportStale(*report, now);
        EXPECT_FALSE(staleSeen && !stale) << "a fresh row below a stale one: channel " << channel;
        staleSeen = staleSeen || stale;
    }

    // Pixels: scrolled so that the first stale row is at the top, the fresh rows above it are
    // out of sight; each visible row's label is grey (200) exactly when its report is stale.
    std::vector<bool> staleRows;
    for (const std::wstring& line : shown) {
        const int channel = std::stoi(line.substr(4, 4));
        auto report = std::find_if(live.begin(), live.end(),
                                   [&](const ChannelStatus& r) { return r.channel_number == channel; });
        staleRows.push_back(isReportStale(*report, now));
    }
    const auto firstStale = static_cast<size_t>(std::find(staleRows.begin(), staleRows.end(), true) -
                                                staleRows.begin());
    ASSERT_LT(firstStale, shown.size());
    const int top = static_cast<int>(firstStale) > 0 ? static_cast<int>(firstStale) - 1 : 0;  // one fresh row above
    const ProgressList& rows = app.bossView().list();
    ::SendMessageW(rows.window(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, top), 0);
    ::UpdateWindow(rows.window());
    const test::PixelCapture pixels = test::PixelCapture::fromClient(rows.window());
    const int rowHeight = rows.rowHeight();
    for (int k = 0; k < rows.visibleRows() && rows.topIndex() + k < static_cast<int>(shown.size()); ++k) {
        const size_t index = static_cast<size_t>(rows.topIndex() + k);
        RECT area{0, k * rowHeight, pixels.width() - 12, (k + 1) * rowHeight};
        EXPECT_EQ(pixels.count(area, RGB(200, 200, 200)) > 0, staleRows[index]) << "row " << index;
        // The grey bar: far more grey than the outline every bar has.
        if (staleRows[index]) {
            EXPECT_GT(pixels.count(area, RGB(128, 128, 128)), 600) << "row " << index;
        }
    }
}

TEST_F(AppWindow, TheCountdownStatusAndCacheLinesReadAsTheyShow) {
    AppBench bench(urls.http, ntp->address());
    startLoaded(bench);
    TrackerApp& app = *bench.app;
    ASSERT_TRUE(pumpUntil(
        [&] {
            return windowText(app.statusLine().label().window()).find(L"KB/req") != std::wstring::npos ||
                   windowText(app.statusLine().label().window()).find(L" B/req") != std::wstring::npos;
        },
        5000));
    const std::wstring status = windowText(app.statusLine().label().window());
    const std::wregex connected(
        LR"(^\u25CF Connected \| \u2193 \d+ K?B/req \u2191 \d+ K?B/req\.{1,3} \| NTP: (\d\d:\d\d:\d\d) UTC$)");
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(status, match, connected));
    EXPECT_EQ(match[1].str(), L"12:00:00") << "the time of the responder's answer";

    // Once the status probe answered, the cache line shows the server's cache age.
    const std::wregex age(LR"(^Cache: \d+(\.\d+s|m \d+s|h \d+m)$)");
    EXPECT_TRUE(pumpUntil([&] { return std::regex_match(windowText(app.bossView().cacheAge().window()), age); }, 5000))
        << "the cache line stayed empty or unknown";

    // At 12:00:0x a boss that spawns on the hour is an hour away, one on the half hour half an hour.
    const std::vector<Boss> list = bosses(app);
    for (size_t i = 0; i < list.size(); ++i) {
        app.bossView().selector().setSelection(static_cast<int>(i) + 1);
        app.onBossSelected();
        ::SendMessageW(app.window(), WM_TIMER, kTimerRefresh, 0);
        const std::wstring countdown = windowText(app.bossView().spawnCountdown().window());
        if (list[i].type == "magical_creature" || (list[i].respawn_time != 0 && list[i].respawn_time != 30)) {
            EXPECT_EQ(countdown, L"") << list[i].name;
        } else {
            const std::wregex soon(list[i].respawn_time == 0 ? LR"(^(59m \d+s|60m 0s)$)" : LR"(^(29m \d+s|30m 0s)$)");
            EXPECT_TRUE(std::regex_match(countdown, soon)) << list[i].name;
        }
    }
}

TEST_F(AppWindow, SlidersSetOpacityAndTextScaleAndOnlyTheScaleIsWrittenAtOnce) {
    AppBench bench(urls.http, ntp->address());
    ASSERT_TRUE(bench.start());
    TrackerApp& app = *bench.app;
    ::SetForegroundWindow(bench.window());
    ::SetFocus(bench.window());
    ASSERT_TRUE(pumpUntil(
        [&] {
            return app.look().settingsPanelShown && ::IsWindowVisible(app.settingsPanel().opacitySlider().window());
        },
        3000));
    EXPECT_EQ(windowText(app.settingsPanel().opacityCaption().window()), L"Transparency:");
    EXPECT_EQ(windowText(app.settingsPanel().textScaleCaption().window()), L"Text Scale:");
    EXPECT_EQ(windowText(app.settingsPanel().opacityValue().window()), L"75%");
    EXPECT_EQ(windowText(app.settingsPanel().textScaleValue().window()), L"100%");

    RECT slider{};
    ::GetClientRect(app.settingsPanel().opacitySlider().window(), &slider);
    test::realClick(
        test::clientToScreen(app.settingsPanel().opacitySlider().window(), 10, slider.bottom / 2));  // the minimum
    pumpMessages(100);
    BYTE alpha = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(bench.window(), nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 25);
    EXPECT_EQ(windowText(app.settingsPanel().opacityValue().window()), L"10%");
    EXPECT_EQ(app.settings().opacity, 10);
    EXPECT_EQ(bench.get(L"Window", L"Opacity"), L"<absent>") << "opacity waits for the next save";

    ::GetClientRect(app.settingsPanel().textScaleSlider().window(), &slider);
    test::realClick(
        test::clientToScreen(app.settingsPanel().textScaleSlider().window(), slider.right - 5, slider.bottom / 2));
    pumpMessages(100);
    EXPECT_EQ(windowText(app.settingsPanel().textScaleValue().window()), L"200%");
    EXPECT_EQ(app.bossView().list().rowHeight(), 80);
    EXPECT_EQ(bench.getInt(L"Window", L"TextScale"), 200) << "the scale is saved at once";
    EXPECT_EQ(bench.getInt(L"Window", L"Opacity"), 10) << "and with it the opacity";
}

TEST_F(AppWindow, ClickThroughDropsTheFrameKeepsTheRectangleAndComesBackAfterARestart) {
    AppBench bench(urls.http, ntp->address());
    startLoaded(bench);
    TrackerApp& app = *bench.app;
    HWND window = bench.window();
    RECT before{};
    ::GetWindowRect(window, &before);

    // A sync client holds the file during the toggle's save: nothing is written then, nor
    // moved elsewhere, and the save at the close writes it all.
    HANDLE held = ::CreateFileW(bench.iniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    app.toggleClickThrough();
    ::CloseHandle(held);
    EXPECT_EQ(bench.iniBytes().find("ClickThroughMode"), std::string::npos);
    EXPECT_EQ(app.store().path(), bench.iniPath());
    RECT after{};
    ::GetWindowRect(window, &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
    const auto style = static_cast<uint32_t>(::GetWindowLongW(window, GWL_STYLE));
    const auto exStyle = static_cast<uint32_t>(::GetWindowLongW(window, GWL_EXSTYLE));
    EXPECT_EQ(style & kFrameStyles, 0u);
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_EQ(exStyle & (kClickThroughExStyles | WS_EX_LAYERED | WS_EX_TOPMOST),
              kClickThroughExStyles | WS_EX_LAYERED | WS_EX_TOPMOST);
    EXPECT_FALSE(::IsWindowVisible(app.bossView().selector().window()));
    EXPECT_FALSE(::IsWindowVisible(app.statusLine().label().window()));
    EXPECT_FALSE(::IsWindowVisible(app.hotkeyBar().button(HotkeyAction::ClickThrough).window()));
    EXPECT_TRUE(::IsWindowVisible(app.bossView().title().window()));
    EXPECT_FALSE(app.bossView().list().scrollBarEnabled());
    EXPECT_EQ(app.bossView().list().topIndex(), 0);
    RECT client{};
    ::GetClientRect(window, &client);
    const RECT list = childRect(window, app.bossView().list().window());
    EXPECT_EQ(list.top, 50);
    EXPECT_EQ(list.right - list.left, client.right);

    ::DestroyWindow(window);
    pumpMessages();
    bench.destroyApp();
    ASSERT_TRUE(bench.start());  // the same file: the mode is back
    window = bench.window();
    EXPECT_TRUE(bench.app->look().clickThrough);
    EXPECT_EQ(static_cast<uint32_t>(::GetWindowLongW(window, GWL_STYLE)) & kFrameStyles, 0u);
    EXPECT_FALSE(bench.app->bossView().list().scrollBarEnabled());

    bench.app->toggleClickThrough();
    EXPECT_EQ(static_cast<uint32_t>(::GetWindowLongW(window, GWL_STYLE)) & kFrameStyles, kFrameStyles);
    EXPECT_EQ(static_cast<uint32_t>(::GetWindowLongW(window, GWL_EXSTYLE)) & kClickThroughExStyles, 0u);
    EXPECT_TRUE(::IsWindowVisible(bench.app->bossView().selector().window()));
    EXPECT_TRUE(::IsWindowVisible(bench.app->statusLine().label().window()));
    EXPECT_TRUE(bench.app->bossView().list().scrollBarEnabled());
    EXPECT_EQ(bench.getInt(L"Window", L"ClickThroughMode"), 0);
}

TEST_F(AppWindow, ABossIdWithLineBreaksIsSelectedButNeverBecomesASettingsLine) {
    const std::string id = "evil\r\n[Network]\r\nTrackerUrl=http://127.0.0.1:9\r\n[Selection]\r\nLastBoss=x";
    const nlohmann::json page = {{"page", 1},
                                 {"perPage", 30},
                                 {"totalItems", 1},
                                 {"totalPages", 1},
                                 {"items", {{{"id", id}, {"name", "Evil"}, {"respawn_time", 0}}}}};
    ASSERT_TRUE(sim->setFault(
        test::SimFault("/api/collections/mobs/records", "raw", {{"body_b64", test::SimBase64(page.dump())}})));
    AppBench bench(urls.http, ntp->address());
    startLoaded(bench);
    bench.app->bossView().selector().setSelection(0);
    bench.app->onBossSelected();
    EXPECT_EQ(bench.app->settings().lastBoss, id);
    ::DestroyWindow(bench.window());  // the close saves
    pumpMessages();
    const std::string file = bench.iniBytes();
    EXPECT_NE(file.find("Opacity=75"), std::string::npos);
    EXPECT_EQ(file.find("evil"), std::string::npos) << file;
    EXPECT_EQ(file.find("LastBoss"), std::string::npos) << file;
}

TEST_F(AppWindow, HidingAndShowingKeepsThePositionAndNeverTakesTheFocus) {
    AppBench bench(urls.http, ntp->address());
    ASSERT_TRUE(bench.start());
    TrackerApp& app = *bench.app;
    HWND window = bench.window();
    test::TestParentWindow other(700, 100, 200, 200);
    ::SetForegroundWindow(other.hwnd());
    pumpMessages(100);
    RECT before{};
    ::GetWindowRect(window, &before);

    app.toggleVisibility();
    EXPECT_FALSE(::IsWindowVisible(window));
    app.toggleVisibility();
    pumpMessages(100);
    EXPECT_TRUE(::IsWindowVisible(window));
    RECT after{};
    ::GetWindowRect(window, &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
    EXPECT_EQ(::GetForegroundWindow(), other.hwnd()) << "showing does not activate the overlay";
    EXPECT_NE(static_cast<uint32_t>(::GetWindowLongW(window, GWL_EXSTYLE)) & WS_EX_TOPMOST, 0u);

    // After sleep the translucency and the top-most place come back, still without the focus.
    ::SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(::SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);
    BYTE alpha = 0;
    ::GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
    EXPECT_EQ(alpha, 191);
    EXPECT_NE(static_cast<uint32_t>(::GetWindowLongW(window, GWL_EXSTYLE)) & WS_EX_TOPMOST, 0u);
    EXPECT_EQ(::GetForegroundWindow(), other.hwnd());
}

TEST_F(AppWindow, TheOpenPopupFreezesTheLayoutUntilItCloses) {
    AppBench bench(urls.http, ntp->address());
    startLoaded(bench);
    TrackerApp& app = *bench.app;
    HWND window = bench.window();

    app.toggleBossMenu();
    ASSERT_TRUE(app.bossView().selector().isOpen());
    ASSERT_TRUE(app.look().bossListOpen);
    // Opening takes the activation (and with it the panel) before the layout freezes.
    const RECT listBefore = childRect(window, app.bossView().list().window());
    RECT outer{};
    ::GetWindowRect(window, &outer);
    ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + 100, outer.bottom - outer.top + 100,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT listFrozen = childRect(window, app.bossView().list().window());
    EXPECT_TRUE(::EqualRect(&listBefore, &listFrozen)) << "a resize while the popup is open moves nothing";

    app.toggleBossMenu();  // the hotkey again closes it
    EXPECT_FALSE(app.bossView().selector().isOpen());
    EXPECT_FALSE(app.look().bossListOpen);
    const RECT listAfter = childRect(window, app.bossView().list().window());
    EXPECT_EQ(listAfter.right - listAfter.left, (listBefore.right - listBefore.left) + 100);
}

// The process's threads, from a snapshot of the system's.
int threadCount() {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    }
    return count;
}

// A player without a tracker reaches rows from inside the overlay: a click on the list opens the
// dialog, an unusable address keeps it open with its reason, a usable one is written and used at
// once. Switching trackers again and again leaves no thread or handle behind.
TEST_F(AppWindow, TheTrackerAddressDialogSetsTheTrackerAndItIsUsedAtOnce) {
    AppBench bench(urls.http, ntp->address());
    ::WritePrivateProfileStringW(L"Network", L"TrackerUrl", nullptr, bench.iniPath().c_str());
    ASSERT_TRUE(bench.start());
    TrackerApp& app = *bench.app;
    HWND list = app.bossView().list().window();
    EXPECT_EQ(windowText(list), L"Click here to set your tracker");

    std::wstring refusal;
    std::thread player([&, thread = ::GetCurrentThreadId()] {
        HWND dialog = nullptr;
        for (int i = 0; i < 100 && !dialog; ++i, ::Sleep(50)) dialog = test::threadDialog(thread, L"Tracker address");
        for (const std::string& typed : {std::string("tracker.example.org"), urls.http}) {
            ::SetDlgItemTextW(dialog, kTrackerAddressEditId, Utf8ToWide(typed).c_str());
            ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            if (refusal.empty()) refusal = windowText(::GetDlgItem(dialog, kTrackerAddressProblemId));
        }
    });
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));  // returns when the dialog closes
    player.join();
    EXPECT_EQ(refusal, L"Use an address that starts with https:// or http://");
    EXPECT_EQ(bench.get(L"Network", L"TrackerUrl"), AppBench::widen(urls.http));
    ASSERT_TRUE(pumpUntil([&] { return app.bossView().list().rowCount() > 0; }, 20000)) << "no restart needed";

    pumpMessages(1000);  // the threads of the first start settle
    const int threads = threadCount();
    int64_t handles[kHandleKindCount];
    for (int k = 0; k < kHandleKindCount; ++k) handles[k] = liveHandleCount(static_cast<HandleKind>(k));
    for (int i = 0; i < 20; ++i) {
        app.useTracker(i % 2 ? urls.http : urls.https);
        ASSERT_TRUE(pumpUntil([&] { return app.feed().connectionState() == Connected; }, 20000)) << i;
    }
    // No more than before (a clock synchronisation may have ended meanwhile): a leak would be 20.
    EXPECT_TRUE(pumpUntil([&] { return threadCount() <= threads; }, 10000)) << threadCount() << " of " << threads;
    for (int k = 0; k < kHandleKindCount; ++k) EXPECT_LE(liveHandleCount(static_cast<HandleKind>(k)), handles[k]) << k;
}

}  // namespace
}  // namespace mb
