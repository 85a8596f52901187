// The main window's texts at the screen's DPI: the test command runs this suite twice, in the
// usual Wine prefix (96 DPI) and in one whose LogPixels is 144. Every label and button shows its
// text whole in every look and at both text scales: no text pixel in its outermost columns.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/win/app_test_bench.h"
#include "controls/win/control_base.h"
#include "core/dpi_scale.h"
#include "support/win/sim_control.h"
#include "support/win/window_lookup.h"

namespace mb {
namespace {

using test::AppBench;
using test::pumpMessages;
using test::pumpUntil;

// The visible labels and buttons of the main window whose first or last pixel column holds
// anything but their fill: text that the control could not fit.
std::vector<std::wstring> cutTexts(HWND window) {
    std::vector<std::wstring> cut;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring kind = tools::className(child);
        if ((kind != L"VantorCustomLabel" && kind != L"VantorCustomButton") || !::IsWindowVisible(child)) continue;
        ::UpdateWindow(child);
        const test::PixelCapture pixels = test::PixelCapture::fromClient(child);
        const int w = pixels.width(), h = pixels.height();
        if (w < 2 || h < 1) continue;
        const COLORREF fill = pixels.at(w / 2, 0);  // the top row is never text
        if (!pixels.all({0, 0, 1, h}, fill) || !pixels.all({w - 1, 0, w, h}, fill)) {
            cut.push_back(tools::windowText(child));
        }
    }
    return cut;
}

class AppDpi : public test::SimulatorTest {
protected:
    void SetUp() override {
        test::SimulatorTest::SetUp();
        ASSERT_TRUE(ntp.ready());
        // The pass it is: the usual prefix, or the one at 144 DPI (whose CTest entry says so).
        const char* expected = std::getenv("MB_EXPECTED_DPI");
        ASSERT_EQ(screenDpiY(), expected ? std::atoi(expected) : 96);
    }
    // Every look, once the status line reads Connected: expanded, compact, click-through.
    void expectWholeTexts(TrackerApp& app, int textScale) {
        ASSERT_TRUE(pumpUntil([&] { return app.feed().connectionState() == Connected; }, 20000));
        pumpMessages(600);  // a status refresh
        HWND window = app.window();
        for (const WPARAM activation : {WA_ACTIVE, WA_INACTIVE}) {
            ::SendMessageW(window, WM_ACTIVATE, activation, 0);
            EXPECT_EQ(cutTexts(window), std::vector<std::wstring>{})
                << "activation " << activation << ", scale " << textScale << ", DPI " << screenDpiY();
        }
        app.toggleClickThrough();
        EXPECT_EQ(cutTexts(window), std::vector<std::wstring>{}) << "click-through, scale " << textScale;
        app.toggleClickThrough();
    }

    test::LocalNtpServer ntp;
};

// The text scale grows the channel rows and nothing else, so the labels are looked at once.
TEST_F(AppDpi, EveryLabelAndButtonShowsItsTextWholeInEveryLookAndTheTextScaleGrowsTheRows) {
    for (const int scale : {100, 200}) {
        AppBench bench(urls.http, ntp.address());
        bench.put(L"Window", L"TextScale", std::to_wstring(scale));
        ASSERT_TRUE(bench.start());
        EXPECT_EQ(bench.app->bossView().list().rowHeight(), scaleForDpi(40 * scale / 100, bench.app->look().dpi));
        if (scale == 100) expectWholeTexts(*bench.app, scale);
    }
}

// In a process of its own (a CTest entry of its own): the awareness a process declares stays.
TEST_F(AppDpi, WithHighDpiTheDefaultWindowGrowsWithTheDpiAndItsTextsStayWhole) {
    AppBench bench(urls.http, ntp.address());
    bench.put(L"Window", L"HighDpi", L"1");
    ASSERT_TRUE(bench.start());
    RECT outer{};
    ::GetWindowRect(bench.window(), &outer);
    EXPECT_EQ(outer.right - outer.left, scaleForDpi(450, screenDpiY()));
    EXPECT_EQ(outer.bottom - outer.top, scaleForDpi(700, screenDpiY()));
    EXPECT_EQ(bench.app->look().dpi, screenDpiY());
    expectWholeTexts(*bench.app, 100);
}

}  // namespace
}  // namespace mb
