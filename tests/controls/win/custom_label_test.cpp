#include "controls/win/custom_label.h"

#include "controls/win/control_window_fixture.h"

namespace mb::test {
namespace {

using CustomLabelTest = ControlWindowTest;

TEST_F(CustomLabelTest, RegistersTheSharedClassAndFindsItsObjectAtIndexZero) {
    CustomLabel label;
    ASSERT_TRUE(label.create(parent->hwnd(), 10, 10, 200, 30, 1100));
    EXPECT_EQ(className(label.window()), kCustomLabelClass);
    const WNDCLASSEXW info = classInfo(kCustomLabelClass);
    EXPECT_EQ(info.cbWndExtra, 8);
    EXPECT_EQ(info.style, static_cast<UINT>(CS_OWNDC));
    EXPECT_EQ(info.hbrBackground, nullptr);
    EXPECT_EQ(info.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(::GetWindowLongPtrW(label.window(), 0), reinterpret_cast<LONG_PTR>(&label));
    EXPECT_EQ(::GetWindowLongPtrW(label.window(), GWLP_USERDATA), 0);
    EXPECT_EQ(::GetDlgCtrlID(label.window()), 1100);
    EXPECT_EQ(::GetParent(label.window()), parent->hwnd());
    const LONG style = ::GetWindowLongW(label.window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(::GetWindowLongW(label.window(), GWL_EXSTYLE), 0);
    // A second label reuses the registration.
    CustomLabel other;
    EXPECT_TRUE(other.create(parent->hwnd(), 10, 50, 100, 20, 1101));
    EXPECT_EQ(::SendMessageW(label.window(), WM_ERASEBKGND, 0, 0), 1);  // never erases
}

TEST_F(CustomLabelTest, EmptyTextPaintsOnlyTheBackground) {
    CustomLabel label;
    ASSERT_TRUE(label.create(parent->hwnd(), 20, 20, 120, 25, 1100));
    const PixelCapture pixels = screenPixels(label.window());
    ASSERT_EQ(pixels.width(), 120);
    ASSERT_EQ(pixels.height(), 25);
    EXPECT_TRUE(pixels.all(RECT{0, 0, 120, 25}, palette::kBackground));
}

TEST_F(CustomLabelTest, TextIsCentredAndShownWhenSetTextReturns) {
    CustomLabel label;
    ASSERT_TRUE(label.create(parent->hwnd(), 20, 20, 200, 40, 1100));
    label.setText(L"Connected");
    // No pumping: the text must already be on the screen.
    const PixelCapture pixels = PixelCapture::fromClient(label.window());
    const RECT ink = inkBounds(pixels, palette::kBackground);
    ASSERT_GT(ink.right - ink.left, 20);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 3.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 20.0, 4.0);
    EXPECT_GT(pixels.count(ink, palette::kText), 0);  // white glyphs
    EXPECT_EQ(pixels.at(0, 0), palette::kBackground);
    EXPECT_EQ(pixels.at(199, 39), palette::kBackground);
}

TEST_F(CustomLabelTest, FontSizeScalesTheText) {
    CustomLabel label;
    ASSERT_TRUE(label.create(parent->hwnd(), 20, 20, 300, 60, 1100));
    label.setText(L"Ag 120%");
    const RECT small = inkBounds(PixelCapture::fromClient(label.window()), palette::kBackground);
    label.setFontSize(28);
    EXPECT_EQ(label.fontSize(), 28);
    const RECT large = inkBounds(PixelCapture::fromClient(label.window()), palette::kBackground);
    EXPECT_GT(large.bottom - large.top, (small.bottom - small.top) * 3 / 2);
    EXPECT_GT(large.right - large.left, (small.right - small.left) * 3 / 2);
}

TEST_F(CustomLabelTest, TooWideTextShrinksThenEndsInAnEllipsis) {
    // DPI, width and whether the text ends in dots; everywhere it is smaller than at 14 points.
    const int cases[][3] = {{96, 150, false}, {96, 60, true}, {144, 220, false}, {192, 120, true}};
    for (const auto& [dpi, width, dots] : cases) {
        CustomLabel label, whole;  // whole: wide enough for the text at 14 points
        for (CustomLabel* each : {&label, &whole}) each->setDpi(dpi);
        ASSERT_TRUE(label.create(parent->hwnd(), 10, 10, width, dpi * 30 / 96, 1100));
        ASSERT_TRUE(whole.create(parent->hwnd(), 10, 200, 480, dpi * 30 / 96, 1101));
        label.setText(L"Waiting for the server");
        whole.setText(label.text());
        const PixelCapture pixels = PixelCapture::fromClient(label.window());
        const RECT ink = inkBounds(pixels, palette::kBackground);
        const RECT full = inkBounds(PixelCapture::fromClient(whole.window()), palette::kBackground);
        EXPECT_LT(ink.bottom - ink.top, full.bottom - full.top) << dpi << " " << width;
        EXPECT_EQ(endsInDots(pixels, ink, palette::kBackground), dots != 0) << dpi << " " << width;
    }
}

TEST_F(CustomLabelTest, ResizeRebuildsTheBufferAndRepaintsEverything) {
    CustomLabel label;
    ASSERT_TRUE(label.create(parent->hwnd(), 20, 20, 60, 20, 1100));
    label.setBounds(30, 40, 250, 50);
    RECT onParent{};
    ::GetWindowRect(label.window(), &onParent);
    ::MapWindowPoints(nullptr, parent->hwnd(), reinterpret_cast<POINT*>(&onParent), 2);
    EXPECT_EQ(onParent.left, 30);
    EXPECT_EQ(onParent.top, 40);
    EXPECT_EQ(onParent.right, 280);
    EXPECT_EQ(onParent.bottom, 90);
    const PixelCapture pixels = screenPixels(label.window());
    EXPECT_TRUE(pixels.all(RECT{0, 0, 250, 50}, palette::kBackground));
    // The parent's black shows where the label was before the move.
    const PixelCapture parentPixels = screenPixels(parent->hwnd());
    EXPECT_EQ(parentPixels.at(21, 21), RGB(0, 0, 0));
}

TEST_F(CustomLabelTest, ZeroSizeKeepsNoBufferAndStillValidates) {
    CustomLabel label;
    ASSERT_TRUE(label.create(parent->hwnd(), 20, 20, 0, 0, 1100));
    label.setText(L"x");  // paints nothing, must not fail
    pumpMessages(20);
    EXPECT_FALSE(::GetUpdateRect(label.window(), nullptr, FALSE));
    label.setBounds(20, 20, 80, 20);
    EXPECT_GT(screenPixels(label.window()).count(RECT{0, 0, 80, 20}, palette::kBackground), 0);
}

TEST_F(CustomLabelTest, OperationsWithoutAWindowDoNothing) {
    CustomLabel label;
    EXPECT_EQ(label.dpi(), screenDpiY());  // until set
    label.setText(L"never shown");
    label.setFontSize(20);
    label.setDpi(144);
    label.setBounds(0, 0, 10, 10);
    EXPECT_EQ(label.window(), nullptr);
    EXPECT_EQ(label.text(), L"never shown");
    // Kept for the window made later: 20 points at 144 DPI make the font of 30 points at 96.
    CustomLabel at96;
    at96.setDpi(96);
    at96.setFontSize(30);
    ASSERT_TRUE(label.create(parent->hwnd(), 10, 10, 400, 60, 1100));
    ASSERT_TRUE(at96.create(parent->hwnd(), 10, 100, 400, 60, 1101));
    at96.setText(label.text());
    const RECT ink = inkBounds(screenPixels(label.window()), palette::kBackground);
    const RECT expected = inkBounds(screenPixels(at96.window()), palette::kBackground);
    EXPECT_GT(ink.bottom - ink.top, 20);
    EXPECT_TRUE(::EqualRect(&ink, &expected)) << ink.left << "," << ink.top << " " << ink.right << "," << ink.bottom;
}

TEST_F(CustomLabelTest, WindowOutlivingItsObjectFallsBackToTheDefaultProcedure) {
    HWND window = nullptr;
    {
        CustomLabel label;
        ASSERT_TRUE(label.create(parent->hwnd(), 20, 20, 100, 20, 1100));
        window = label.window();
    }
    EXPECT_EQ(::GetWindowLongPtrW(window, 0), 0);
    ::InvalidateRect(window, nullptr, FALSE);
    ::UpdateWindow(window);  // handled by DefWindowProcW, no access to the gone object
    ::SendMessageW(window, WM_SIZE, 0, MAKELPARAM(50, 50));
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace mb::test
