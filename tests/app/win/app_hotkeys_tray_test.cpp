// The global hotkeys, their rebinding from real key events, and the tray icon, menu and help
// box of a real TrackerApp. Tray calls are recorded through the application's seam.
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
using test::BoxWatcher;
using test::pumpMessages;
using test::pumpUntil;
using test::realKeys;
using tools::windowText;

struct TrayCall {
    DWORD verb;
    NOTIFYICONDATAW data;
};

class AppHotkeysTray : public test::SimulatorTest {
protected:
    void SetUp() override {
        test::SimulatorTest::SetUp();
        ASSERT_TRUE(ntp.ready());
    }
    // Starts the application with its tray calls recorded; the shell's answer is kept real
    // after the first `refusals` calls, which fail as a busy shell's do.
    bool start(AppBench& bench, int refusals = 0) {
        bench.app = std::make_unique<TrackerApp>(bench.iniPath());
        bench.app->tray().setShell([this, refusals](DWORD verb, NOTIFYICONDATAW* data) mutable {
            trayCalls.push_back({verb, *data});
            return refusals-- > 0 ? FALSE : ::Shell_NotifyIconW(verb, data);
        });
        if (!bench.app->createMainWindow()) return false;
        // The keyboard goes to the overlay, as after a click on it.
        ::SetForegroundWindow(bench.window());
        ::SetFocus(bench.window());
        pumpMessages(100);
        return true;
    }
    static void clickButton(TrackerApp& app, HotkeyAction action) {
        ::SendMessageW(app.hotkeyBar().button(action).window(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    }
    static std::wstring label(TrackerApp& app, HotkeyAction action) {
        return windowText(app.hotkeyBar().button(action).window());
    }

    test::LocalNtpServer ntp;
    std::vector<TrayCall> trayCalls;
};

TEST_F(AppHotkeysTray, ACaptureTakesCtrlShiftKRefusesAKeyAloneAndTheNewHotkeyWorksAtOnce) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    EXPECT_EQ(label(app, HotkeyAction::ClickThrough), L"Click-through: Ctrl+Shift+B");
    EXPECT_EQ(label(app, HotkeyAction::Visibility), L"Show/Hide: Ctrl+B");
    EXPECT_EQ(label(app, HotkeyAction::BossMenu), L"Boss menu: Ctrl+A");

    clickButton(app, HotkeyAction::ClickThrough);
    EXPECT_EQ(label(app, HotkeyAction::ClickThrough), L"Click-through: [Press modifier + key...]");
    {
        BoxWatcher notice(::GetCurrentThreadId(), L"Modifier Required", IDOK, 5000);
        realKeys({VK_SHIFT});  // a modifier alone keeps waiting, without a box
        realKeys({'X'});
        ASSERT_TRUE(pumpUntil([&] { return notice.clicked(); }, 5000));
        pumpMessages(200);
    }
    EXPECT_TRUE(app.hotkeyBar().capture() == HotkeyAction::ClickThrough) << "the capture goes on";
    EXPECT_EQ(label(app, HotkeyAction::ClickThrough), L"Click-through: [Press modifier + key...]");

    realKeys({VK_CONTROL, VK_SHIFT, 'K'});
    EXPECT_FALSE(app.hotkeyBar().capturing());
    EXPECT_EQ(label(app, HotkeyAction::ClickThrough), L"Click-through: Ctrl+Shift+K");
    EXPECT_EQ(bench.getInt(L"Hotkeys", L"ClickThrough"), 75);
    EXPECT_EQ(bench.getInt(L"Hotkeys", L"ClickThroughMods"), 6);

    realKeys({VK_CONTROL, VK_SHIFT, 'K'});
    EXPECT_TRUE(pumpUntil([&] { return app.look().clickThrough; }, 2000)) << "the new binding is registered at once";
    realKeys({VK_CONTROL, VK_SHIFT, 'B'});
    pumpMessages(300);
    EXPECT_TRUE(app.look().clickThrough) << "the old binding is gone";
    realKeys({VK_CONTROL, VK_SHIFT, 'K'});
    EXPECT_TRUE(pumpUntil([&] { return !app.look().clickThrough; }, 2000));
}

TEST_F(AppHotkeysTray, ARegisteredCombinationDuringACaptureIsADuplicateAndRunsNothing) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    clickButton(app, HotkeyAction::BossMenu);
    {
        BoxWatcher duplicate(::GetCurrentThreadId(), L"Duplicate Hotkey", IDOK, 5000);
        realKeys({VK_CONTROL, 'B'});  // the show/hide hotkey
        ASSERT_TRUE(pumpUntil([&] { return duplicate.clicked(); }, 5000));
        pumpMessages(200);
    }
    EXPECT_TRUE(app.look().visible);
    EXPECT_TRUE(::IsWindowVisible(bench.window())) << "the action did not run";
    EXPECT_TRUE(app.hotkeyBar().capture() == HotkeyAction::BossMenu);
    EXPECT_EQ(label(app, HotkeyAction::BossMenu), L"Boss menu: [Press modifier + key...]");
    EXPECT_EQ(app.settings().bossMenuKey, 65u);
}

TEST_F(AppHotkeysTray, EscapeASliderAClickOnTheBackgroundAndFocusLossEachCancelACapture) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    test::TestParentWindow elsewhere(900, 100, 200, 200);
    const struct {
        const char* name;
        std::function<void()> act;
    } cancels[] = {
        {"escape", [&] { realKeys({VK_ESCAPE}); }},
        {"slider",
         [&] {
             ::SendMessageW(bench.window(), WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50),
                            reinterpret_cast<LPARAM>(app.settingsPanel().opacitySlider().window()));
         }},
        {"background", [&] { ::SendMessageW(bench.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); }},
        {"focus loss",
         [&] {
             ::SetForegroundWindow(elsewhere.hwnd());
             pumpMessages(200);
         }},
    };
    for (const auto& cancel : cancels) {
        ::SetForegroundWindow(bench.window());
        ::SetFocus(bench.window());
        pumpMessages(100);
        clickButton(app, HotkeyAction::Visibility);
        ASSERT_TRUE(app.hotkeyBar().capture() == HotkeyAction::Visibility) << cancel.name;
        cancel.act();
        EXPECT_FALSE(app.hotkeyBar().capturing()) << cancel.name;
        EXPECT_EQ(label(app, HotkeyAction::Visibility), L"Show/Hide: Ctrl+B") << cancel.name;
    }
    // Another button restores the first label and prompts on its own.
    clickButton(app, HotkeyAction::ClickThrough);
    clickButton(app, HotkeyAction::Visibility);
    EXPECT_EQ(label(app, HotkeyAction::ClickThrough), L"Click-through: Ctrl+Shift+B");
    EXPECT_EQ(label(app, HotkeyAction::Visibility), L"Show/Hide: [Press modifier + key...]");
}

TEST_F(AppHotkeysTray, TwoActionsOnOneCombinationGiveOneWarningAndTheFirstKeepsWorking) {
    AppBench bench(urls.http, ntp.address());
    bench.put(L"Hotkeys", L"Visibility", L"66");
    bench.put(L"Hotkeys", L"VisibilityMods", L"6");  // Ctrl+Shift+B, the click-through binding
    BoxWatcher first(::GetCurrentThreadId(), L"Warning", IDOK, 10000);
    ASSERT_TRUE(start(bench));  // returns once the warning is answered
    EXPECT_TRUE(first.clicked());
    BoxWatcher second(::GetCurrentThreadId(), L"Warning", IDOK, 1500);
    pumpMessages(1500);
    EXPECT_FALSE(second.clicked()) << "one warning for the one refused registration";
    realKeys({VK_CONTROL, VK_SHIFT, 'B'});
    EXPECT_TRUE(pumpUntil([&] { return bench.app->look().clickThrough; }, 2000));
    EXPECT_TRUE(bench.app->look().visible);
}

TEST_F(AppHotkeysTray, EachDefaultHotkeyRunsItsAction) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    ASSERT_TRUE(pumpUntil([&] { return app.bossView().selector().itemCount() > 0; }, 20000));
    realKeys({VK_CONTROL, VK_SHIFT, 'B'});
    EXPECT_TRUE(pumpUntil([&] { return app.look().clickThrough; }, 2000));
    realKeys({VK_CONTROL, VK_SHIFT, 'B'});
    EXPECT_TRUE(pumpUntil([&] { return !app.look().clickThrough; }, 2000));
    realKeys({VK_CONTROL, 'B'});
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindowVisible(bench.window()); }, 2000));
    realKeys({VK_CONTROL, 'B'});
    EXPECT_TRUE(pumpUntil([&] { return ::IsWindowVisible(bench.window()) != FALSE; }, 2000));
    realKeys({VK_CONTROL, 'A'});
    EXPECT_TRUE(pumpUntil([&] { return app.bossView().selector().isOpen(); }, 2000));
    realKeys({VK_CONTROL, 'A'});
    EXPECT_TRUE(pumpUntil([&] { return !app.bossView().selector().isOpen(); }, 2000));
}

// Pixel (x, y) of an icon's colour and mask images, as a COLORREF and as "transparent".
struct IconPixels {
    std::vector<uint32_t> colour, mask;
    COLORREF at(int x, int y) const {
        const uint32_t bgr = colour[static_cast<size_t>(y * 32 + x)];
        return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
    }
    bool transparent(int x, int y) const { return (mask[static_cast<size_t>(y * 32 + x)] & 0xFFFFFF) != 0; }
};

IconPixels readIcon(HICON icon) {
    ICONINFO info{};
    EXPECT_TRUE(::GetIconInfo(icon, &info));
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = 32;
    format.bmiHeader.biHeight = -32;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    IconPixels pixels{std::vector<uint32_t>(32 * 32), std::vector<uint32_t>(32 * 32)};
    WindowDc screen(nullptr);
    EXPECT_EQ(::GetDIBits(screen.get(), colour.get(), 0, 32, pixels.colour.data(), &format, DIB_RGB_COLORS), 32);
    EXPECT_EQ(::GetDIBits(screen.get(), mask.get(), 0, 32, pixels.mask.data(), &format, DIB_RGB_COLORS), 32);
    return pixels;
}

TEST_F(AppHotkeysTray, TheDrawnIconsAreShadedDotsOnATransparentGround) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    const IconPixels app = readIcon(bench.app->tray().windowIcon());  // the program's own, from its resources
    EXPECT_EQ(app.at(16, 16), RGB(100, 150, 255)) << "the centre";
    EXPECT_EQ(app.at(30, 16), RGB(70, 105, 178)) << "the rim, d2 = 196";
    EXPECT_FALSE(app.transparent(16, 16));
    EXPECT_FALSE(app.transparent(30, 16));
    for (auto [x, y] : {std::pair{31, 16}, {0, 0}, {31, 0}, {0, 31}, {31, 31}}) EXPECT_TRUE(app.transparent(x, y));
    EXPECT_EQ(readIcon(bench.app->tray().connectedIcon()).at(16, 16), RGB(0, 255, 0));
    EXPECT_EQ(readIcon(bench.app->tray().idleIcon()).at(16, 16), RGB(255, 0, 0));
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(bench.window(), WM_GETICON, ICON_BIG, 0)),
              bench.app->tray().windowIcon());
}

TEST_F(AppHotkeysTray, TheTrayDotIsRedAtStartGreenWhileDataFlowsAndRedWhenTheServerStops) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    ASSERT_FALSE(trayCalls.empty());
    const NOTIFYICONDATAW& added = trayCalls.front().data;
    EXPECT_EQ(trayCalls.front().verb, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(added.cbSize, 976u);
    EXPECT_EQ(added.hWnd, bench.window());
    EXPECT_EQ(added.uID, 1u);
    EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(added.uCallbackMessage, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(added.hIcon, app.tray().idleIcon());
    EXPECT_STREQ(added.szTip, L"Marrowbell v1.5.1");

    ASSERT_TRUE(pumpUntil([&] { return app.tray().shownIcon() == app.tray().connectedIcon(); }, 20000));
    EXPECT_EQ(trayCalls.back().verb, static_cast<DWORD>(NIM_MODIFY));
    ASSERT_TRUE(sim->setFault(test::SimFault("/api/all_status", "status", {{"code", 503}})));
    EXPECT_TRUE(pumpUntil([&] { return app.tray().shownIcon() == app.tray().idleIcon(); }, 6000));
    EXPECT_EQ(trayCalls.back().data.hIcon, app.tray().idleIcon());
}

TEST_F(AppHotkeysTray, TheTrayCallbackMenuHelpAndExit) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    HWND window = bench.window();

    ::SendMessageW(window, WM_USER + 1, 1, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(::IsWindowVisible(window));
    ::SendMessageW(window, WM_USER + 1, 2, WM_LBUTTONDBLCLK);  // another icon's id is ignored
    EXPECT_FALSE(::IsWindowVisible(window));
    const wchar_t* expected[] = {L"Marrowbell v1.5.1",  L"",     L"Show", L"Status",
                                 L"Tracker address...", L"Help", L"",     L"Exit"};
    const UINT ids[] = {0, 0, 2000, 2003, 2004, 2001, 0, 2002};
    UniqueMenu menu = app.tray().buildMenu(app.look().visible);
    ASSERT_EQ(::GetMenuItemCount(menu.get()), 8);
    for (int i = 0; i < 8; ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu.get(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, expected[i]);
        EXPECT_EQ(::GetMenuItemID(menu.get(), i), ids[i]) << i;
        EXPECT_EQ((::GetMenuState(menu.get(), static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0,
                  i == 1 || i == 6);
    }
    EXPECT_NE(::GetMenuState(menu.get(), 0, MF_BYPOSITION) & MF_GRAYED, 0u);
    app.runTrayCommand(TrayCommand::ToggleVisibility);
    EXPECT_TRUE(::IsWindowVisible(window));

    // The real menu opens at a right-click; it is dismissed here and does nothing.
    static TrackerApp* dismissing;
    dismissing = &app;
    ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    });
    ::SendMessageW(window, WM_USER + 1, 1, WM_RBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(window));

    // "Help" chosen again while the help box is open leaves one box.
    static int helpBoxes;
    helpBoxes = 0;
    ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        dismissing->runTrayCommand(TrayCommand::Help);
        EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND box, LPARAM) -> BOOL {
                wchar_t title[64] = {};
                ::GetWindowTextW(box, title, 64);
                if (std::wstring(title) == L"Marrowbell v1.5.1 - Help" && ::IsWindowVisible(box)) {
                    ++helpBoxes;
                    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                }
                return TRUE;
            },
            0);
    });
    app.runTrayCommand(TrayCommand::Help);
    EXPECT_EQ(helpBoxes, 1);
    EXPECT_FALSE(app.tray().helpOpen());

    BoxWatcher no(::GetCurrentThreadId(), L"Confirm Exit", IDNO, 5000);
    app.runTrayCommand(TrayCommand::Exit);
    ASSERT_TRUE(pumpUntil([&] { return no.clicked(); }, 5000));
    pumpMessages(200);
    EXPECT_TRUE(::IsWindow(window)) << "No keeps it running";
}

// The retries wait 2 s, then twice as long each time up to 30 s, ask no shell without a taskbar,
// and start at 2 s again when a shell announces itself.
TEST_F(AppHotkeysTray, AnIconTheShellRefusesIsTriedAgainAfterTwoSecondsThenLessOften) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench, 2));  // the add, and the modify that looks for a late icon
    TrayIcon& tray = bench.app->tray();
    EXPECT_FALSE(tray.added());
    ASSERT_TRUE(pumpUntil([&] { return tray.added(); }, 3000));
    EXPECT_EQ(std::count_if(trayCalls.begin(), trayCalls.end(), [](const TrayCall& c) { return c.verb == NIM_ADD; }),
              2);

    int calls = 0;
    bool taskbar = true;
    tray.setShell([&](DWORD, NOTIFYICONDATAW*) { return ++calls, FALSE; });
    tray.setTaskbarProbe([&] { return taskbar; });
    std::vector<uint32_t> periods;
    for (int i = 0; i < 6; ++i) periods.push_back((tray.add(), tray.retryPeriodMs()));
    EXPECT_EQ(periods, (std::vector<uint32_t>{2000, 4000, 8000, 16000, 30000, 30000}));
    taskbar = false;
    calls = 0;
    tray.add();
    EXPECT_EQ(calls, 0);
    taskbar = true;
    ::SendMessageW(bench.window(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(tray.retryPeriodMs(), 2000u);
}

TEST_F(AppHotkeysTray, ARestartedShellGetsTheIconAgainAndALogoffRemovesItAndSaves) {
    AppBench bench(urls.http, ntp.address());
    ASSERT_TRUE(start(bench));
    TrackerApp& app = *bench.app;
    HWND window = bench.window();
    ASSERT_TRUE(pumpUntil([&] { return app.tray().shownIcon() == app.tray().connectedIcon(); }, 20000));
    trayCalls.clear();
    ::SendMessageW(window, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_GE(trayCalls.size(), 1u);  // and a modify, as this shell still holds the icon
    EXPECT_EQ(trayCalls[0].verb, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(std::count_if(trayCalls.begin(), trayCalls.end(), [](const TrayCall& c) { return c.verb == NIM_ADD; }),
              1);
    EXPECT_EQ(trayCalls[0].data.hIcon, app.tray().connectedIcon()) << "with the colour it had";

    BoxWatcher spy(::GetCurrentThreadId(), L"Confirm Exit", IDNO, 1000);
    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
    ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(::IsWindow(window));
    pumpMessages(300);
    EXPECT_FALSE(spy.clicked());
    EXPECT_EQ(trayCalls.back().verb, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(bench.getInt(L"Window", L"Opacity"), 75);
}

}  // namespace
}  // namespace mb
