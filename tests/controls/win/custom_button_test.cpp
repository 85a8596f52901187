#include "controls/win/custom_button.h"

#include "controls/win/control_window_fixture.h"

namespace mb::test {
namespace {

class CustomButtonTest : public ControlWindowTest {
protected:
    void SetUp() override {
        ControlWindowTest::SetUp();
        ASSERT_TRUE(button.create(parent->hwnd(), 40, 60, 200, 25, 1010));
        button.setText(L"Ctrl+Shift+B");
        pumpMessages(20);
        parent->clear();
    }
    void TearDown() override {
        ::SetCursorPos(1900, 1070);
        pumpMessages(20);
        ControlWindowTest::TearDown();
    }
    // WM_COMMAND messages received so far.
    int clicks() const { return static_cast<int>(parent->messages().size()); }

    CustomButton button;
};

TEST_F(CustomButtonTest, RegistersWithTheHandCursor) {
    EXPECT_EQ(className(button.window()), kCustomButtonClass);
    const WNDCLASSEXW info = classInfo(kCustomButtonClass);
    EXPECT_EQ(info.cbWndExtra, 8);
    EXPECT_EQ(info.style, static_cast<UINT>(CS_OWNDC));  // no CS_DBLCLKS
    EXPECT_EQ(info.hCursor, ::LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(::GetWindowLongPtrW(button.window(), 0), reinterpret_cast<LONG_PTR>(&button));
}

TEST_F(CustomButtonTest, EveryPressSendsOneCommandAtOnceAndReleaseSendsNothing) {
    ::SendMessageW(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(5, 5));
    // Sent, not posted: the parent has handled it already.
    ASSERT_EQ(clicks(), 1);
    const RecordedMessage& m = parent->messages()[0];
    EXPECT_EQ(m.message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(m.low(), 1010);
    EXPECT_EQ(m.code(), BN_CLICKED);
    EXPECT_EQ(m.from(), button.window());
    EXPECT_EQ(::GetCapture(), nullptr);  // no capture taken

    // Moving off and releasing neither cancels nor repeats it.
    ::SendMessageW(button.window(), WM_MOUSEMOVE, MK_LBUTTON, mousePoint(-40, 80));
    ::SendMessageW(button.window(), WM_LBUTTONUP, 0, mousePoint(-40, 80));
    pumpMessages(30);
    EXPECT_EQ(clicks(), 1);

    // A quick second press is a second click (no double-click class style).
    ::PostMessageW(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(5, 5));
    ::PostMessageW(button.window(), WM_LBUTTONUP, 0, mousePoint(5, 5));
    ::PostMessageW(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(6, 5));
    ::PostMessageW(button.window(), WM_LBUTTONUP, 0, mousePoint(6, 5));
    pumpMessages(30);
    EXPECT_EQ(clicks(), 3);
    for (const RecordedMessage& each : parent->messages()) {
        EXPECT_EQ(each.message, static_cast<UINT>(WM_COMMAND));
        EXPECT_EQ(each.wParam, static_cast<WPARAM>(1010));
    }
}

TEST_F(CustomButtonTest, RealClicksGiveOneCommandEach) {
    const POINT inside = clientToScreen(button.window(), 100, 12);
    realMouseMove(inside);
    realLeftButton(true);
    EXPECT_EQ(clicks(), 1);
    realMouseMove(POINT{inside.x + 300, inside.y + 200});  // drag off, then release elsewhere
    realLeftButton(false);
    EXPECT_EQ(clicks(), 1);
    realClick(inside);
    realClick(inside);  // fast second click: a second WM_LBUTTONDOWN, not a double-click
    EXPECT_EQ(clicks(), 3);
    for (const RecordedMessage& each : parent->messages()) EXPECT_EQ(each.wParam, static_cast<WPARAM>(1010));
}

TEST_F(CustomButtonTest, PaintsFlatBackgroundWithCentredWhiteText) {
    const PixelCapture pixels = screenPixels(button.window());
    EXPECT_EQ(pixels.at(0, 0), palette::kBackground);  // no border
    EXPECT_EQ(pixels.at(199, 24), palette::kBackground);
    EXPECT_TRUE(pixels.all(RECT{0, 0, 40, 25}, palette::kBackground));
    EXPECT_GT(pixels.count(RECT{40, 0, 160, 25}, palette::kText), 5);
}

TEST_F(CustomButtonTest, RealPointerHoverLightensAndLeavingRestoresAtOnce) {
    const POINT inside = clientToScreen(button.window(), 20, 12);
    ::SetCursorPos(inside.x, inside.y);
    ASSERT_TRUE(pumpUntil([&] { return button.hovered(); }));
    PixelCapture pixels = PixelCapture::fromClient(button.window());
    EXPECT_TRUE(pixels.all(RECT{0, 0, 30, 25}, palette::kHover));
    EXPECT_EQ(pixels.at(199, 24), palette::kHover);

    ::SetCursorPos(1900, 1070);  // off the button and off every window of the test
    ASSERT_TRUE(pumpUntil([&] { return !button.hovered(); }));
    pixels = PixelCapture::fromClient(button.window());  // repainted inside WM_MOUSELEAVE
    EXPECT_TRUE(pixels.all(RECT{0, 0, 30, 25}, palette::kBackground));
    EXPECT_TRUE(parent->messages().empty());  // hovering sends nothing

    // Hover works again after a leave (the leave request is renewed).
    ::SetCursorPos(inside.x + 3, inside.y);
    EXPECT_TRUE(pumpUntil([&] { return button.hovered(); }));
}

TEST_F(CustomButtonTest, HoverByMessagesRepaintsOnlyOnChange) {
    ::SendMessageW(button.window(), WM_MOUSEMOVE, 0, mousePoint(3, 3));
    EXPECT_TRUE(button.hovered());
    EXPECT_EQ(PixelCapture::fromClient(button.window()).at(2, 2), palette::kHover);
    ::SendMessageW(button.window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.hovered());
    EXPECT_EQ(PixelCapture::fromClient(button.window()).at(2, 2), palette::kBackground);
}

TEST_F(CustomButtonTest, SetTextIsOnScreenWhenItReturns) {
    button.setText(L"");
    EXPECT_TRUE(PixelCapture::fromClient(button.window()).all(RECT{0, 0, 200, 25}, palette::kBackground));
    button.setText(L"Press a key...");
    EXPECT_GT(PixelCapture::fromClient(button.window()).count(RECT{0, 0, 200, 25}, palette::kText), 5);
    EXPECT_TRUE(parent->messages().empty());
}

}  // namespace
}  // namespace mb::test
