#include "controls/win/custom_slider.h"

#include "controls/win/control_window_fixture.h"

namespace mb::test {
namespace {

class CustomSliderTest : public ControlWindowTest {
protected:
    void SetUp() override {
        ControlWindowTest::SetUp();
        ASSERT_TRUE(slider.create(parent->hwnd(), 20, 30, 140, 25, 1005));
        slider.setRange(10, 100);
        slider.setValue(75);
        pumpMessages(20);
        parent->clear();
    }
    void press(int x) { ::SendMessageW(slider.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(x, 12)); }
    void drag(int x) { ::SendMessageW(slider.window(), WM_MOUSEMOVE, MK_LBUTTON, mousePoint(x, 12)); }
    void release(int x) { ::SendMessageW(slider.window(), WM_LBUTTONUP, 0, mousePoint(x, 12)); }
    // Every WM_HSCROLL received, as values; fails on anything else.
    std::vector<int> reportedValues() const {
        std::vector<int> values;
        for (const RecordedMessage& m : parent->messages()) {
            EXPECT_EQ(m.message, static_cast<UINT>(WM_HSCROLL));
            EXPECT_EQ(m.low(), SB_THUMBTRACK);
            EXPECT_EQ(m.from(), slider.window());
            values.push_back(static_cast<short>(m.code()));
        }
        return values;
    }
    // Left edge of the thumb on screen: the first thumb-coloured pixel of row 12.
    static int thumbLeft(const PixelCapture& pixels, COLORREF colour) {
        for (int x = 0; x < pixels.width(); ++x)
            if (pixels.at(x, 12) == colour) return x;
        return -1;
    }

    CustomSlider slider;
};

TEST_F(CustomSliderTest, RegistersWithTheHandCursorAndBindsAtNcCreate) {
    EXPECT_EQ(className(slider.window()), kCustomSliderClass);
    const WNDCLASSEXW info = classInfo(kCustomSliderClass);
    EXPECT_EQ(info.cbWndExtra, 8);
    EXPECT_EQ(info.style, static_cast<UINT>(CS_OWNDC));
    EXPECT_EQ(info.hCursor, ::LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(::GetWindowLongPtrW(slider.window(), 0), reinterpret_cast<LONG_PTR>(&slider));
}

TEST_F(CustomSliderTest, PressJumpsToTheValueUnderThePointerAndTakesTheCapture) {
    press(70);
    EXPECT_EQ(slider.value(), 55);  // 10 + (54 * 90 + 54) / 108
    EXPECT_EQ(::GetCapture(), slider.window());
    ASSERT_EQ(parent->messages().size(), 1u);
    EXPECT_EQ(parent->messages()[0].wParam, static_cast<WPARAM>((55 << 16) | SB_THUMBTRACK));
    EXPECT_EQ(reportedValues(), std::vector<int>{55});
    release(70);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(parent->messages().size(), 1u);  // no SB_ENDSCROLL or SB_THUMBPOSITION
}

TEST_F(CustomSliderTest, PaintShowsBorderTrackAndThumbWithTheDragColour) {
    PixelCapture pixels = screenPixels(slider.window());
    ASSERT_EQ(pixels.width(), 140);
    EXPECT_EQ(pixels.at(0, 0), palette::kBorder);  // 1-pixel frame
    EXPECT_EQ(pixels.at(139, 24), palette::kBorder);
    EXPECT_EQ(pixels.at(5, 5), palette::kBackground);
    EXPECT_EQ(pixels.at(5, 12), palette::kBackground);                // track starts at x = 10
    EXPECT_TRUE(pixels.all(RECT{10, 10, 40, 14}, palette::kBorder));  // track rows 10..13
    EXPECT_EQ(pixels.at(20, 9), palette::kBackground);
    // Value 75 at rest: offset 65 * 108 / 90 = 78, thumb x 88..99, y 2..22.
    EXPECT_TRUE(pixels.all(RECT{88, 2, 100, 23}, palette::kThumb));
    EXPECT_EQ(pixels.at(87, 5), palette::kBackground);
    EXPECT_EQ(pixels.at(100, 5), palette::kBackground);
    EXPECT_EQ(pixels.at(90, 1), palette::kBackground);
    EXPECT_EQ(pixels.at(90, 23), palette::kBackground);

    press(70);  // thumb centre under the pointer, lighter while dragging
    pixels = screenPixels(slider.window());
    EXPECT_TRUE(pixels.all(RECT{64, 2, 76, 23}, palette::kThumbDragging));
    EXPECT_EQ(thumbLeft(pixels, palette::kThumb), -1);

    drag(124);  // far right: the maximum, thumb ends 10 pixels from the right edge
    pixels = screenPixels(slider.window());
    EXPECT_EQ(slider.value(), 100);
    EXPECT_TRUE(pixels.all(RECT{118, 2, 130, 23}, palette::kThumbDragging));
    EXPECT_TRUE(pixels.all(RECT{40, 10, 110, 14}, palette::kBorder));  // the track where the thumb was

    release(124);
    pixels = screenPixels(slider.window());
    EXPECT_TRUE(pixels.all(RECT{118, 2, 130, 23}, palette::kThumb));
}

TEST_F(CustomSliderTest, ThumbAndPressesFollowTheDpi) {
    slider.setDpi(144);  // value 75: an 18 x 19 thumb at 15 + 65 * 92 / 90 = 81, 3 pixels clear
    EXPECT_EQ(screenPixels(slider.window()).count(RECT{80, 2, 100, 23}, palette::kThumb), 18 * 19);
    press(70);
    EXPECT_EQ(slider.value(), 55);
}

TEST_F(CustomSliderTest, DragReportsOnlyChangedValues) {
    press(16);
    drag(16);  // same value: nothing
    drag(17);  // 11
    drag(17);
    drag(-300);  // captured pointer far left: the minimum
    drag(5000);  // far right: the maximum
    drag(4000);
    release(4000);
    drag(40);  // not dragging any more
    EXPECT_EQ(reportedValues(), (std::vector<int>{10, 11, 10, 100}));
    EXPECT_EQ(slider.value(), 100);
}

TEST_F(CustomSliderTest, PressOnTheShownValueSendsNothing) {
    slider.setValue(55);
    press(70);
    EXPECT_TRUE(parent->messages().empty());
    EXPECT_TRUE(slider.dragging());
    release(70);
}

TEST_F(CustomSliderTest, RealMessagesThroughTheQueue) {
    ::PostMessageW(slider.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(70, 12));
    ::PostMessageW(slider.window(), WM_MOUSEMOVE, MK_LBUTTON, mousePoint(71, 12));
    ::PostMessageW(slider.window(), WM_MOUSEMOVE, MK_LBUTTON, mousePoint(80, 12));
    ::PostMessageW(slider.window(), WM_LBUTTONUP, 0, mousePoint(80, 12));
    pumpMessages(50);
    EXPECT_EQ(reportedValues(), (std::vector<int>{55, 56, 63}));
    EXPECT_FALSE(slider.dragging());
}

TEST_F(CustomSliderTest, RealDragFollowsThePointerOutsideTheSlider) {
    realMouseMove(clientToScreen(slider.window(), 70, 12));
    realLeftButton(true);
    EXPECT_EQ(slider.value(), 55);
    EXPECT_EQ(::GetCapture(), slider.window());
    EXPECT_TRUE(screenPixels(slider.window()).all(RECT{64, 2, 76, 23}, palette::kThumbDragging));
    realMouseMove(clientToScreen(slider.window(), 80, 12));
    EXPECT_EQ(slider.value(), 63);
    realMouseMove(clientToScreen(slider.window(), 400, 200));  // far right and below: captured
    EXPECT_EQ(slider.value(), 100);
    realLeftButton(false);
    EXPECT_FALSE(slider.dragging());
    EXPECT_EQ(::GetCapture(), nullptr);
    realMouseMove(clientToScreen(slider.window(), 20, 12));  // plain move: nothing
    EXPECT_EQ(reportedValues(), (std::vector<int>{55, 63, 100}));
    EXPECT_TRUE(screenPixels(slider.window()).all(RECT{118, 2, 130, 23}, palette::kThumb));
    realMouseMove(POINT{1900, 1070});
}

TEST_F(CustomSliderTest, NarrowSliderTakesTheCaptureButNeverChanges) {
    CustomSlider narrow;
    ASSERT_TRUE(narrow.create(parent->hwnd(), 20, 80, 32, 25, 1006));
    narrow.setValue(40);
    ::SendMessageW(narrow.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(30, 12));
    EXPECT_EQ(::GetCapture(), narrow.window());
    ::SendMessageW(narrow.window(), WM_MOUSEMOVE, MK_LBUTTON, mousePoint(2, 12));
    ::SendMessageW(narrow.window(), WM_LBUTTONUP, 0, mousePoint(2, 12));
    EXPECT_EQ(narrow.value(), 40);
    EXPECT_TRUE(parent->messages().empty());
}

TEST_F(CustomSliderTest, EqualEndsDrawTheThumbLeftAndYieldTheMinimum) {
    slider.setRange(30, 30);
    EXPECT_EQ(slider.value(), 30);
    PixelCapture pixels = screenPixels(slider.window());
    EXPECT_TRUE(pixels.all(RECT{10, 2, 22, 23}, palette::kThumb));
    for (int x : {0, 70, 139}) {
        press(x);
        release(x);
    }
    EXPECT_EQ(slider.value(), 30);
    EXPECT_TRUE(parent->messages().empty());
}

TEST_F(CustomSliderTest, SetRangeAndSetValueMoveTheValueSilently) {
    slider.setRange(100, 200);  // 75 is below: becomes 100
    EXPECT_EQ(slider.value(), 100);
    slider.setValue(250);
    EXPECT_EQ(slider.value(), 200);
    slider.setValue(-5);
    EXPECT_EQ(slider.value(), 100);
    slider.setRange(90, 20);  // minimum above maximum: the minimum
    EXPECT_EQ(slider.value(), 90);
    EXPECT_EQ(slider.minimum(), 90);
    EXPECT_EQ(slider.maximum(), 20);
    pumpMessages(20);
    EXPECT_TRUE(parent->messages().empty());
}

TEST_F(CustomSliderTest, LosingTheCaptureEndsTheDrag) {
    press(70);
    ASSERT_TRUE(slider.dragging());
    ::ReleaseCapture();  // e.g. another window took the mouse
    EXPECT_FALSE(slider.dragging());
    drag(120);  // a plain move over the slider with no button down
    EXPECT_EQ(slider.value(), 55);
    EXPECT_EQ(reportedValues(), std::vector<int>{55});
    EXPECT_TRUE(screenPixels(slider.window()).all(RECT{64, 2, 76, 23}, palette::kThumb));
}

TEST_F(CustomSliderTest, ResizeKeepsMappingOnTheNewWidth) {
    slider.setBounds(20, 30, 232, 25);  // usable 200
    pumpMessages(20);
    press(116);  // d = 100: 10 + (100 * 90 + 100) / 200 = 55
    EXPECT_EQ(slider.value(), 55);
    release(116);
    EXPECT_TRUE(screenPixels(slider.window()).all(RECT{10 + 100, 2, 22 + 100, 23}, palette::kThumb));
}

}  // namespace
}  // namespace mb::test
