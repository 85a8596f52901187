// A real TrackerApp from window creation to destruction: the window it makes, the exit
// confirmation, the end of a session, and shutting down while the server misbehaves.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_constants.h"
#include "app/win/app_test_bench.h"
#include "desktop/monitor_geometry.h"
#include "support/win/sim_control.h"

namespace mb {
namespace {

using test::AppBench;
using test::BoxWatcher;
using test::SimFault;
using test::SimRequest;
using test::pumpMessages;
using test::pumpUntil;

class AppLifetime : public test::SimulatorTest {
protected:
    void SetUp() override {
        test::SimulatorTest::SetUp();
        ASSERT_TRUE(ntp.ready());
    }
    size_t requestCount(const std::string& path) {
        std::vector<SimRequest> all;
        EXPECT_TRUE(sim->readLog(all));
        size_t count = 0;
        for (const SimRequest& request : all) count += request.path.rfind(path, 0) == 0;
        return count;
    }
    static RECT windowRect(HWND window) {
        RECT r{};
        ::GetWindowRect(window, &r);
        return r;
    }
    static void expectRect(const RECT& r, int left, int top, int right, int bottom) {
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right, right);
        EXPECT_EQ(r.bottom, bottom);
    }
    void expectSavedRect(const AppBench& bench, int left, int top, int right, int bottom) {
        EXPECT_EQ(bench.getInt(L"Window", L"Left"), left);
        EXPECT_EQ(bench.getInt(L"Window", L"Top"), top);
        EXPECT_EQ(bench.getInt(L"Window", L"Right"), right);
        EXPECT_EQ(bench.getInt(L"Window", L"Bottom"), bottom);
    }
    // Waits until a worker has let go of what it shared with the application object.
    template <typename T>
    static bool releasedWithin(const std::weak_ptr<T>& shared, DWORD timeoutMs) {
        const ULONGLONG end = ::GetTickCount64() + timeoutMs;
        while (!shared.expired()) {
            if (::GetTickCount64() >= end) return false;
            ::Sleep(50);
        }
        return true;
    }

    test::LocalNtpServer ntp;
};

TEST_F(AppLifetime, CreatesTheLayeredTopMostWindowFromTheClampedSavedRectangle) {
    AppBench bench(urls.http, ntp.address());
    bench.put(L"Window", L"Left", L"5000");
    bench.put(L"Window", L"Top", L"-3000");
    bench.put(L"Window", L"Right", L"5450");
    bench.put(L"Window", L"Bottom", L"-2300");
    bench.put(L"Window", L"Opacity", L"50");
    ASSERT_TRUE(bench.start());
    HWND window = bench.window();
    ASSERT_TRUE(::IsWindow(window));
    const RECT monitor = test::primaryMonitorRect();
    expectRect(windowRect(window), monitor.right - 450, monitor.top, monitor.right, monitor.top + 700);

    wchar_t text[128] = {};
    ::GetClassNameW(window, text, 128);
    EXPECT_STREQ(text, L"VantorMainDialog");
    ::GetWindowTextW(window, text, 128);
    EXPECT_STREQ(text, L"Marrowbell v1.5.1");
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
    EXPECT_EQ(style & 0x2CC0000, 0x2CC0000);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TOPMOST), WS_EX_LAYERED | WS_EX_TOPMOST);
    EXPECT_EQ(exStyle & WS_EX_TOOLWINDOW, 0);
    EXPECT_TRUE(::IsWindowVisible(window));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 127);
    EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(::GetWindowLongPtrW(window, 0), reinterpret_cast<LONG_PTR>(bench.app.get()));
    EXPECT_EQ(::GetClassLongPtrW(window, GCL_CBWNDEXTRA), 8);
    LOGBRUSH brush{};
    ASSERT_NE(::GetObjectW(reinterpret_cast<HGDIOBJ>(::GetClassLongPtrW(window, GCLP_HBRBACKGROUND)), sizeof brush,
                           &brush),
              0);
    EXPECT_EQ(brush.lbColor, static_cast<COLORREF>(0x1E1E1E));

    // Destroying the window saves the rectangle it has now.
    ::DestroyWindow(window);
    pumpMessages();
    expectSavedRect(bench, monitor.right - 450, monitor.top, monitor.right, monitor.top + 700);
    EXPECT_EQ(bench.getInt(L"Window", L"Opacity"), 50);
    EXPECT_EQ(bench.get(L"Network", L"TrackerUrl"), AppBench::widen(urls.http));
}

TEST_F(AppLifetime, CreateMainWindowFailsWhenTheClassNameIsTakenByAnotherProcedure) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ::UnregisterClassW(L"VantorMainDialog", instance);  // left by earlier tests, if any
    WNDCLASSEXW foreign{};
    foreign.cbSize = sizeof(foreign);
    foreign.lpfnWndProc = ::DefWindowProcW;
    foreign.hInstance = instance;
    foreign.lpszClassName = L"VantorMainDialog";
    ASSERT_NE(::RegisterClassExW(&foreign), 0);

    AppBench bench(urls.http, ntp.address());
    EXPECT_FALSE(bench.start());
    EXPECT_EQ(bench.window(), nullptr);
    EXPECT_TRUE(::UnregisterClassW(L"VantorMainDialog", instance));
    EXPECT_LT(bench.destroyApp(), 200u) << "no worker was started";
    EXPECT_EQ(bench.get(L"Window", L"Left"), L"<absent>") << "nothing is saved without a window";
}

// Where the player's own move ends (snapped back onto the monitor) is where a display change puts
// the window again, whatever moved it meanwhile, and what the file keeps; the outer rectangle
// after a DPI change Windows suggests stays on the monitor, and only a per-monitor aware window
// takes one.
TEST_F(AppLifetime, APlayersMoveIsWhereDisplayChangesPutTheWindowBackAndWhatTheFileKeeps) {
    for (const bool highDpi : {false, true}) {
        AppBench bench(urls.http, ntp.address());
        if (highDpi) bench.put(L"Window", L"HighDpi", L"1");
        ASSERT_TRUE(bench.start());
        HWND window = bench.window();
        const RECT monitor = test::primaryMonitorRect();
        const int dpi = bench.app->look().dpi;
        ::SendMessageW(window, WM_ENTERSIZEMOVE, 0, 0);
        ::SetWindowPos(window, nullptr, monitor.right - 200, monitor.top + 50, 450, 700, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(window, WM_EXITSIZEMOVE, 0, 0);
        const RECT chosen{monitor.right - 450, monitor.top + 50, monitor.right, monitor.top + 750};
        expectRect(windowRect(window), chosen.left, chosen.top, chosen.right, chosen.bottom);

        // Pushed aside, as by a game's lower resolution, then the display change back.
        ::SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(window, WM_DISPLAYCHANGE, 32, 0);
        expectRect(windowRect(window), chosen.left, chosen.top, chosen.right, chosen.bottom);

        // A new scale without a drag: 1.5 times the size reaches past the screen's bottom.
        RECT suggested{chosen.left, chosen.top + 300, chosen.left + 675, chosen.top + 300 + 1050};
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi * 3 / 2, dpi * 3 / 2),
                       reinterpret_cast<LPARAM>(&suggested));
        const RECT after = windowRect(window);
        if (highDpi) {
            EXPECT_EQ(bench.app->look().dpi, dpi * 3 / 2);
            expectRect(after, monitor.right - 675, monitor.bottom - 1050, monitor.right, monitor.bottom);
        } else {
            EXPECT_EQ(bench.app->look().dpi, dpi) << "Windows stretches an unaware window itself";
            expectRect(after, chosen.left, chosen.top, chosen.right, chosen.bottom);
        }
        ::DestroyWindow(window);
        expectSavedRect(bench, chosen.left, chosen.top, chosen.right, chosen.bottom);
        EXPECT_EQ(bench.getInt(L"Window", L"RectDpi"), dpi);
    }
}

TEST_F(AppLifetime, ConfirmExitIsCentredOverTheWindowAndOnlyYesCloses) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(bench.start());
    HWND window = bench.window();
    // Moved by the player to the left edge of the screen: the box may stick out, it is not kept
    // on the monitor.
    ::SendMessageW(window, WM_ENTERSIZEMOVE, 0, 0);
    ::SetWindowPos(window, nullptr, 0, 60, 200, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(window, WM_EXITSIZEMOVE, 0, 0);

    {
        BoxWatcher no(::GetCurrentThreadId(), L"Confirm Exit", IDNO, 5000);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(pumpUntil([&] { return no.clicked(); }, 5000)) << "no Confirm Exit box";
        pumpMessages(300);
        EXPECT_EQ(no.owner(), window);
        const RECT box = no.boxRect();
        const RECT owner = no.ownerRect();
        const ScreenPoint expected = centeredOver({box.left, box.top, box.right, box.bottom},
                                                  {owner.left, owner.top, owner.right, owner.bottom});
        EXPECT_EQ(box.left, expected.x);
        EXPECT_EQ(box.top, expected.y);
        EXPECT_TRUE(::IsWindow(window)) << "No keeps the overlay";
    }

    BoxWatcher yes(::GetCurrentThreadId(), L"Confirm Exit", IDYES, 5000);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    std::optional<int> code = test::runLoopWithin(*bench.app, 8000);
    ASSERT_TRUE(code.has_value()) << "the loop did not end after Yes";
    EXPECT_EQ(*code, 0);
    EXPECT_TRUE(yes.clicked());
    EXPECT_FALSE(::IsWindow(window));
    expectSavedRect(bench, 0, 60, 200, 660);
}

TEST_F(AppLifetime, EndingTheSessionClosesWithoutAskingAndSavesTheClampedRectangle) {
    AppBench bench(urls.http, ntp.address());
    bench.put(L"Window", L"Left", L"-100");  // half off the screen
    bench.put(L"Window", L"Right", L"350");
    ASSERT_TRUE(bench.start());
    HWND window = bench.window();

    {
        // A logoff that another program cancels: the next close asks again.
        BoxWatcher no(::GetCurrentThreadId(), L"Confirm Exit", IDNO, 5000);
        EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
        ::SendMessageW(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(pumpUntil([&] { return no.clicked(); }, 5000)) << "no Confirm Exit box";
        pumpMessages(200);
    }
    BoxWatcher spy(::GetCurrentThreadId(), L"Confirm Exit", IDNO, 1500);
    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
    EXPECT_TRUE(::IsWindow(window)) << "asking is not ending";
    ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(::IsWindow(window));
    pumpMessages(200);
    EXPECT_FALSE(spy.clicked()) << "no confirmation while the session ends";
    expectSavedRect(bench, 0, 100, 450, 800);
    EXPECT_EQ(bench.get(L"Window", L"Opacity"), L"75");
}

// Against an address nothing answers, a click on the status line opens the status box, which
// says since when and why the overlay is disconnected; the log says it too, after its start line.
TEST_F(AppLifetime, AgainstAnAddressNothingAnswersTheStatusBoxAndTheLogSayWhy) {
    AppBench bench(test::closedPortUrl(), ntp.address());
    ASSERT_TRUE(bench.start());
    TrackerApp& app = *bench.app;
    ASSERT_TRUE(pumpUntil([&] { return !app.feed().lastFailure().cause.empty(); }, 5000));
    BoxWatcher box(::GetCurrentThreadId(), L"Marrowbell status", IDOK, 5000);
    ::SendMessageW(app.statusLine().label().window(), WM_LBUTTONDOWN, MK_LBUTTON, 0);  // returns when it closes
    ASSERT_TRUE(box.clicked());
    const std::string failure = "Failed to fetch bosses - network error or empty response: cannot connect (12029)";
    EXPECT_NE(box.text().find(L"Disconnected since "), std::wstring::npos) << box.text();
    EXPECT_NE(box.text().find(Utf8ToWide(failure)), std::wstring::npos) << box.text();
    const std::string log = bench.bytesOf(L"Marrowbell.log");
    EXPECT_NE(log.find("Z Marrowbell v1.5.1 starting on Windows "), std::string::npos) << log;
    EXPECT_NE(log.find("Z Loading the boss list failed: " + failure + "\r\n"), std::string::npos) << log;
}

TEST_F(AppLifetime, ClosingWhileTheServerIsUnreachableIsQuick) {
    AppBench bench(test::closedPortUrl(), ntp.address());
    ASSERT_TRUE(bench.start());
    ASSERT_TRUE(pumpUntil([&] { return !bench.app->feed().lastFailure().cause.empty(); }, 5000)) << "retrying";
    EXPECT_EQ(bench.app->feed().connectionState(), Disconnected);
    EXPECT_LT(test::millisecondsOf([&] { ::DestroyWindow(bench.window()); }), 1000u);
}

// A worker blocked in a request outlives the bounded wait; it must find what it uses alive
// and let go of it when its request finally returns.
TEST_F(AppLifetime, ALoaderBlockedByAServerThatNeverAnswersOutlivesTheApplicationSafely) {
    ASSERT_TRUE(sim->setFault(SimFault("*", "hang")));
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(bench.start());
    ASSERT_TRUE(pumpUntil([&] { return requestCount("/api/collections/mobs/records") > 0; }, 5000));
    std::weak_ptr<TrackerState> state = bench.app->feed().sharedState();

    const uint64_t took = test::millisecondsOf([&] { ::DestroyWindow(bench.window()); });  // the teardown waits
    bench.destroyApp();
    EXPECT_GE(took, 4500u) << "the wait is bounded, not skipped";
    EXPECT_LE(took, 5600u);
    EXPECT_FALSE(state.expired()) << "the blocked loader still holds the state";
    EXPECT_TRUE(releasedWithin(state, 15000)) << "the loader never let go";
}

TEST_F(AppLifetime, APollerBlockedByAServerThatNeverAnswersOutlivesTheApplicationSafely) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(bench.start());
    ASSERT_TRUE(pumpUntil([&] { return bench.app->feed().connectionState() == Connected; }, 20000));
    ASSERT_TRUE(sim->setFault(SimFault("/api/all_status", "hang")));
    ASSERT_TRUE(sim->clearLog());
    ASSERT_TRUE(pumpUntil([&] { return requestCount("/api/all_status") > 0; }, 5000));
    std::weak_ptr<ApiClient> api = bench.app->feed().sharedApi();
    std::weak_ptr<TrackerState> state = bench.app->feed().sharedState();

    const uint64_t took = test::millisecondsOf([&] { ::DestroyWindow(bench.window()); });
    bench.destroyApp();
    EXPECT_GE(took, 4500u);
    EXPECT_LE(took, 5600u);
    EXPECT_FALSE(api.expired()) << "the blocked poller still holds the shared client";
    EXPECT_TRUE(releasedWithin(api, 15000));
    EXPECT_TRUE(releasedWithin(state, 1000));
}

TEST_F(AppLifetime, AnApplicationObjectWhoseWindowStillExistsTakesItDownFirst) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(bench.start());
    HWND window = bench.window();
    bench.destroyApp();
    EXPECT_FALSE(::IsWindow(window));
    pumpMessages(300);  // timers of a window that lived on would arrive here
    EXPECT_EQ(bench.get(L"Window", L"Left"), L"100");
}

}  // namespace
}  // namespace mb
