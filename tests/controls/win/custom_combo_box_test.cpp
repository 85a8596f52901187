#include "controls/win/custom_combo_box.h"

#include <string>
#include <vector>

#include "controls/win/control_window_fixture.h"

namespace mb::test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 180, 0);
constexpr int kId = 1001;

class CustomComboBoxTest : public ControlWindowTest {
protected:
    void SetUp() override {
        ControlWindowTest::SetUp();
        ASSERT_TRUE(combo.create(parent->hwnd(), 10, 10, 280, 28, kId));
    }
    void TearDown() override {
        combo.closePopup();
        ControlWindowTest::TearDown();
    }
    void addThree() {
        combo.addItem("Golem", kGreen, &records[0], 3, 12);
        combo.addItem("Wyvern", kRed, &records[1], 0, 9);
        combo.addItem("Lich", kGreen, &records[2], 1, 0);
        pumpMessages(10);
        parent->clear();
    }
    void clickBox() { ::SendMessageW(combo.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(50, 14)); }
    void popupMouse(UINT message, int x, int y) { ::SendMessageW(combo.popupWindow(), message, 0, mousePoint(x, y)); }
    void popupKey(WPARAM key) { ::SendMessageW(combo.popupWindow(), WM_KEYDOWN, key, 0); }
    // Notification codes received so far, in order; fails on anything but the box's WM_COMMAND.
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const RecordedMessage& m : parent->messages()) {
            EXPECT_EQ(m.message, static_cast<UINT>(WM_COMMAND));
            EXPECT_EQ(m.low(), kId);
            EXPECT_EQ(m.from(), combo.window());
            out.push_back(m.code());
        }
        return out;
    }
    static RECT screenRect(HWND window) {
        RECT r{};
        ::GetWindowRect(window, &r);
        return r;
    }

    int records[3] = {};
    CustomComboBox combo;
};

TEST_F(CustomComboBoxTest, RegistersBothClasses) {
    EXPECT_EQ(className(combo.window()), kCustomComboBoxClass);
    const WNDCLASSEXW box = classInfo(kCustomComboBoxClass);
    EXPECT_EQ(box.style, static_cast<UINT>(CS_OWNDC));
    EXPECT_EQ(box.cbWndExtra, 8);
    EXPECT_EQ(box.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    const WNDCLASSEXW popup = classInfo(kCustomComboBoxPopupClass);
    EXPECT_EQ(popup.style, static_cast<UINT>(CS_DROPSHADOW | CS_SAVEBITS));
    EXPECT_EQ(popup.cbWndExtra, 8);
    EXPECT_EQ(popup.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(::GetWindowLongPtrW(combo.window(), 0), reinterpret_cast<LONG_PTR>(&combo));
    EXPECT_TRUE(::GetWindowLongW(combo.window(), GWL_STYLE) & WS_CLIPSIBLINGS);
}

TEST_F(CustomComboBoxTest, WithoutItemsNothingOpens) {
    clickBox();
    combo.showPopup();
    pumpMessages(20);
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(combo.popupWindow(), nullptr);
    EXPECT_EQ(combo.selectedData(), nullptr);
    EXPECT_TRUE(parent->messages().empty());
}

TEST_F(CustomComboBoxTest, ItemOperations) {
    EXPECT_EQ(combo.addItem("Golem", kGreen, &records[0], 3, 12), 0);
    EXPECT_EQ(combo.selectedIndex(), 0);  // silently
    EXPECT_EQ(combo.addItem("Wyvern", kRed, &records[1], 0, 9), 1);
    EXPECT_EQ(combo.selectedIndex(), 0);
    EXPECT_EQ(combo.itemCount(), 2);
    EXPECT_EQ(combo.selectedData(), &records[0]);
    EXPECT_EQ(combo.itemData(1), &records[1]);
    EXPECT_EQ(combo.itemData(2), nullptr);
    EXPECT_EQ(combo.itemData(-1), nullptr);
    combo.setSelection(5);
    EXPECT_EQ(combo.selectedIndex(), 0);
    combo.setSelection(1);
    EXPECT_EQ(combo.selectedData(), &records[1]);
    combo.setSelection(-1);
    EXPECT_EQ(combo.selectedData(), nullptr);
    combo.updateItem(7, kRed, 1, 1);  // ignored
    combo.clearItems();
    EXPECT_EQ(combo.itemCount(), 0);
    EXPECT_EQ(combo.selectedIndex(), -1);
    pumpMessages(20);
    EXPECT_TRUE(parent->messages().empty());
}

TEST_F(CustomComboBoxTest, ClosedBoxShowsTheSelectedNameInItsColourAndTheArrow) {
    PixelCapture pixels = screenPixels(combo.window());
    EXPECT_EQ(pixels.at(0, 0), palette::kBorder);
    EXPECT_EQ(pixels.at(279, 27), palette::kBorder);
    EXPECT_TRUE(pixels.all(RECT{1, 1, 250, 27}, palette::kBackground));  // nothing selected: no text

    addThree();
    pixels = screenPixels(combo.window());
    // Arrow: m = 14, top edge y 12 from x 260 to 268, tip (264, 16).
    EXPECT_EQ(pixels.at(260, 12), RGB(255, 255, 255));
    EXPECT_EQ(pixels.at(268, 12), RGB(255, 255, 255));
    EXPECT_EQ(pixels.at(264, 14), RGB(255, 255, 255));
    EXPECT_EQ(pixels.at(264, 16), RGB(255, 255, 255));
    EXPECT_EQ(pixels.at(264, 18), palette::kBackground);
    EXPECT_EQ(pixels.at(258, 12), palette::kBackground);
    // Green name, left-aligned from x = 8; no counts in the box.
    int green = 0, rightmost = -1;
    for (int y = 1; y < 27; ++y)
        for (int x = 1; x < 250; ++x) {
            const COLORREF c = pixels.at(x, y);
            if (c == palette::kBackground) continue;
            EXPECT_LT(GetRValue(c), 60) << x << "," << y;  // only shades between background and green
            if (GetGValue(c) > 120) ++green;
            rightmost = std::max(rightmost, x);
        }
    EXPECT_GT(green, 10);
    EXPECT_LT(rightmost, 120);
    EXPECT_TRUE(pixels.all(RECT{1, 1, 8, 27}, palette::kBackground));

    combo.setSelection(1);  // red item
    pixels = screenPixels(combo.window());
    EXPECT_GT(pixels.count(RECT{8, 0, 250, 28}, kRed), 5);
}

TEST_F(CustomComboBoxTest, RowsArrowAndNameFollowTheDpiAndALongNameEndsInAnEllipsis) {
    combo.setDpi(144);
    combo.addItem("Ancient Frost Wyrm of the Northern Wastes and the Frozen Seas", kGreen, nullptr, 0, 0);
    const PixelCapture pixels = screenPixels(combo.window());
    EXPECT_EQ(pixels.at(256, 17), RGB(255, 255, 255));  // the arrow's tip; the name 12 pixels in
    const RECT ink = inkBounds(pixels, palette::kBackground, RECT{1, 1, 240, 27});
    EXPECT_GE(ink.left, 12);
    EXPECT_TRUE(endsInDots(pixels, ink, palette::kBackground));
    clickBox();
    EXPECT_EQ(screenRect(combo.popupWindow()).bottom - screenRect(combo.popupWindow()).top, 42);
    combo.setDpi(96);  // an open popup closes
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(combo.itemHeight(), 28);
}

TEST_F(CustomComboBoxTest, BoxHoverLightensTheFill) {
    ::SendMessageW(combo.window(), WM_MOUSEMOVE, 0, mousePoint(100, 5));
    EXPECT_EQ(screenPixels(combo.window()).at(150, 5), palette::kHover);
    ::SendMessageW(combo.window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(screenPixels(combo.window()).at(150, 5), palette::kBackground);
}

TEST_F(CustomComboBoxTest, ClickOpensAPopupUnderTheBoxWithCaptureAndFocus) {
    addThree();
    clickBox();
    ASSERT_TRUE(combo.isOpen());
    HWND popup = combo.popupWindow();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(codes(), std::vector<int>{CBN_DROPDOWN});
    EXPECT_EQ(::GetCapture(), popup);
    EXPECT_EQ(::GetFocus(), popup);
    EXPECT_EQ(className(popup), kCustomComboBoxPopupClass);
    EXPECT_EQ(::GetParent(popup), nullptr);
    EXPECT_EQ(::GetWindow(popup, GW_OWNER), nullptr);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(popup, GWL_EXSTYLE)) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              static_cast<DWORD>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(popup, GWL_STYLE)) & (WS_POPUP | WS_VISIBLE | WS_BORDER),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_BORDER));
    const RECT box = screenRect(combo.window());
    const RECT at = screenRect(popup);
    EXPECT_EQ(at.left, box.left);
    EXPECT_EQ(at.top, box.bottom);
    EXPECT_EQ(at.right - at.left, 280);
    EXPECT_EQ(at.bottom - at.top, 3 * 28);
    EXPECT_EQ(combo.hoverIndex(), combo.selectedIndex());

    // showPopup on an open popup only gives it the focus back.
    combo.showPopup();
    EXPECT_EQ(combo.popupWindow(), popup);
    EXPECT_EQ(::GetFocus(), popup);
    EXPECT_EQ(codes(), std::vector<int>{CBN_DROPDOWN});

    ::SetFocus(parent->hwnd());  // focus loss closes it
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
}

TEST_F(CustomComboBoxTest, PopupRowsShowHoverAndSelection) {
    addThree();
    combo.setSelection(1);
    clickBox();
    ASSERT_TRUE(combo.isOpen());
    HWND popup = combo.popupWindow();
    PixelCapture pixels = screenPixels(popup);
    ASSERT_EQ(pixels.width(), 278);  // inside the 1-pixel border
    ASSERT_EQ(pixels.height(), 82);
    // Row 1 is selected and highlighted: the highlight wins.
    EXPECT_TRUE(pixels.all(RECT{200, 0, 278, 28}, palette::kBackground));
    EXPECT_TRUE(pixels.all(RECT{200, 28, 278, 56}, palette::kHover));
    EXPECT_TRUE(pixels.all(RECT{200, 56, 278, 82}, palette::kBackground));
    EXPECT_EQ(pixels.at(3, 40), palette::kHover);  // text starts 8 pixels in

    popupMouse(WM_MOUSEMOVE, 100, 60);  // highlight row 2
    EXPECT_EQ(combo.hoverIndex(), 2);
    pixels = screenPixels(popup);
    EXPECT_TRUE(pixels.all(RECT{200, 28, 278, 56}, RGB(100, 100, 100)));  // selected, not highlighted
    EXPECT_TRUE(pixels.all(RECT{200, 56, 278, 82}, palette::kHover));

    popupMouse(WM_MOUSEMOVE, 100, -20);  // captured pointer above the popup: no row
    EXPECT_EQ(combo.hoverIndex(), -1);
    pixels = screenPixels(popup);
    EXPECT_TRUE(pixels.all(RECT{200, 56, 278, 82}, palette::kBackground));

    // Names in their colours, with the " [a/t]" suffix only where the total is above 0.
    auto rightmostInk = [&](int top) {
        int right = -1;
        for (int y = top + 2; y < top + 26; ++y)
            for (int x = 0; x < 278; ++x)
                if (pixels.at(x, y) != palette::kBackground && pixels.at(x, y) != RGB(100, 100, 100))
                    right = std::max(right, x);
        return right;
    };
    EXPECT_GT(pixels.count(RECT{8, 28, 200, 56}, kRed), 5);
    const int golem = rightmostInk(0);  // "Golem [3/12]"
    const int lich = rightmostInk(56);  // "Lich"
    EXPECT_GT(golem, lich + 30);
    EXPECT_GT(lich, 8);
    EXPECT_TRUE(codes() == std::vector<int>{CBN_DROPDOWN});
}

// A name is drawn as the server sent it: "&" is no underline prefix, so "Salt&Pepper" is wider
// than "SaltPepper" by its ampersand, in the closed box and in the popup's rows alike.
TEST_F(CustomComboBoxTest, AnAmpersandInANameIsDrawnAsItIs) {
    combo.addItem("Salt&Pepper", kGreen, nullptr, 0, 0);
    combo.addItem("SaltPepper", kGreen, nullptr, 0, 0);
    const auto inkWidth = [](const PixelCapture& pixels, RECT area) {
        const RECT ink = inkBounds(pixels, pixels.at(area.left, area.top), area);
        return ink.right - ink.left;
    };
    int closed[2] = {};
    for (int index : {0, 1}) {
        combo.setSelection(index);
        closed[index] = inkWidth(screenPixels(combo.window()), {2, 2, 240, 26});
    }
    EXPECT_GT(closed[0], closed[1] + 4);
    clickBox();
    ASSERT_TRUE(combo.isOpen());
    const PixelCapture rows = screenPixels(combo.popupWindow());
    EXPECT_GT(inkWidth(rows, {0, 2, 278, 26}), inkWidth(rows, {0, 30, 278, 54}) + 4);
}

TEST_F(CustomComboBoxTest, ClickOnARowChoosesThenCloses) {
    addThree();
    int selectedAtSelChange = -2;
    bool openAtCloseUp = true;
    parent->onMessage = [&](const RecordedMessage& m) {
        if (m.code() == CBN_SELCHANGE) selectedAtSelChange = combo.selectedIndex();
        if (m.code() == CBN_CLOSEUP) openAtCloseUp = combo.isOpen() || ::IsWindow(combo.popupWindow());
    };
    clickBox();
    HWND popup = combo.popupWindow();
    popupMouse(WM_LBUTTONDOWN, 30, 28 + 5);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_EQ(selectedAtSelChange, 1);
    EXPECT_FALSE(openAtCloseUp);
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(combo.popupWindow(), nullptr);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(combo.selectedData(), &records[1]);
    pumpMessages(30);
    EXPECT_EQ(codes().size(), 3u);  // nothing afterwards (no second CBN_CLOSEUP from the focus loss)
}

TEST_F(CustomComboBoxTest, ChoosingTheSelectedItemStillNotifies) {
    addThree();
    clickBox();
    popupMouse(WM_LBUTTONDOWN, 30, 5);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_EQ(combo.selectedIndex(), 0);
}

TEST_F(CustomComboBoxTest, ClickOutsideClosesWithoutAChoice) {
    addThree();
    clickBox();
    popupMouse(WM_LBUTTONDOWN, 300, 40);  // right of the popup
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
    parent->clear();
    clickBox();
    popupMouse(WM_LBUTTONDOWN, 10, -15);  // over the box (above the popup)
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_EQ(combo.selectedIndex(), 0);
    EXPECT_FALSE(combo.isOpen());
}

TEST_F(CustomComboBoxTest, KeyboardNavigationAndChoice) {
    addThree();
    clickBox();
    popupKey(VK_DOWN);
    EXPECT_EQ(combo.hoverIndex(), 1);
    EXPECT_TRUE(screenPixels(combo.popupWindow()).all(RECT{200, 28, 278, 56}, palette::kHover));
    popupKey(VK_DOWN);
    popupKey(VK_DOWN);  // the last row stays
    EXPECT_EQ(combo.hoverIndex(), 2);
    popupKey(VK_UP);
    popupKey(VK_HOME);  // no Home key
    EXPECT_EQ(combo.hoverIndex(), 1);
    popupKey(VK_RETURN);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_EQ(combo.selectedIndex(), 1);

    parent->clear();
    combo.showPopup();
    EXPECT_EQ(combo.hoverIndex(), 1);  // starts at the selection again
    popupKey(VK_SPACE);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP}));

    parent->clear();
    combo.showPopup();
    popupKey(VK_ESCAPE);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_EQ(combo.selectedIndex(), 1);
}

TEST_F(CustomComboBoxTest, EnterWithNoHighlightClosesWithoutAChoiceAndUpHighlightsRowZero) {
    addThree();
    combo.setSelection(2);
    clickBox();
    popupMouse(WM_MOUSEMOVE, 500, 500);  // pointer left the popup
    EXPECT_EQ(combo.hoverIndex(), -1);
    popupKey(VK_RETURN);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_EQ(combo.selectedIndex(), 2);

    parent->clear();
    clickBox();
    popupMouse(WM_MOUSEMOVE, -5, 5);
    popupKey(VK_UP);
    EXPECT_EQ(combo.hoverIndex(), 0);
    popupKey(VK_RETURN);
    EXPECT_EQ(combo.selectedIndex(), 0);
}

TEST_F(CustomComboBoxTest, RealClicksThroughTheSystemQueue) {
    addThree();
    realClick(clientToScreen(combo.window(), 60, 14));
    ASSERT_TRUE(combo.isOpen());
    HWND popup = combo.popupWindow();
    EXPECT_EQ(::GetCapture(), popup);
    // The pointer over row 2 highlights it, through the capture.
    realMouseMove(clientToScreen(popup, 100, 2 * 28 + 10));
    EXPECT_EQ(combo.hoverIndex(), 2);
    EXPECT_TRUE(screenPixels(popup).all(RECT{200, 56, 278, 82}, palette::kHover));
    realClick(clientToScreen(popup, 100, 2 * 28 + 10));
    EXPECT_EQ(combo.selectedIndex(), 2);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP}));

    // A real click on the box while open reaches the captured popup and closes it, no choice.
    parent->clear();
    realClick(clientToScreen(combo.window(), 60, 14));
    ASSERT_TRUE(combo.isOpen());
    realClick(clientToScreen(combo.window(), 60, 14));
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(combo.selectedIndex(), 2);
    // And a click on the parent far from the popup.
    realClick(clientToScreen(combo.window(), 60, 14));
    realClick(clientToScreen(parent->hwnd(), 450, 350));
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP, CBN_DROPDOWN, CBN_CLOSEUP}));
    realMouseMove(POINT{1900, 1070});
}

TEST_F(CustomComboBoxTest, RealKeysThroughTheQueue) {
    addThree();
    clickBox();
    ::PostMessageW(combo.popupWindow(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(combo.popupWindow(), WM_KEYUP, VK_DOWN, 0);
    ::PostMessageW(combo.popupWindow(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(combo.popupWindow(), WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages(50);
    EXPECT_EQ(combo.selectedIndex(), 2);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP}));
}

TEST_F(CustomComboBoxTest, FocusLossToAnotherWindowClosesOnce) {
    addThree();
    clickBox();
    ASSERT_TRUE(combo.isOpen());
    {
        TestParentWindow other(700, 100, 200, 200);  // takes the foreground and the focus
        pumpMessages(30);
        EXPECT_FALSE(combo.isOpen());
    }
    pumpMessages(30);
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
}

TEST_F(CustomComboBoxTest, ClearItemsAndClosePopupWhileOpen) {
    addThree();
    clickBox();
    combo.clearItems();
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
    clickBox();  // empty again: nothing
    EXPECT_FALSE(combo.isOpen());

    addThree();
    clickBox();
    combo.closePopup();
    combo.closePopup();  // closed already: nothing
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
}

TEST_F(CustomComboBoxTest, BoxClickWhileOpenClosesWhenTheCaptureWasLost) {
    addThree();
    clickBox();
    ::ReleaseCapture();
    clickBox();
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
}

TEST_F(CustomComboBoxTest, UpdateItemRepaintsTheOpenPopup) {
    addThree();
    clickBox();
    combo.updateItem(2, kRed, 2, 5);
    combo.updateItem(3, kRed, 2, 5);  // ignored
    const PixelCapture pixels = screenPixels(combo.popupWindow());
    EXPECT_GT(pixels.count(RECT{8, 56, 270, 82}, kRed), 5);
    EXPECT_EQ(codes(), std::vector<int>{CBN_DROPDOWN});
}

TEST_F(CustomComboBoxTest, FocusTakenWhileDroppingDownClosesThePopupOnce) {
    addThree();
    parent->onMessage = [&](const RecordedMessage& m) {
        if (m.code() == CBN_DROPDOWN) ::SetFocus(parent->hwnd());
    };
    clickBox();
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(combo.popupWindow(), nullptr);
}

// Windows refuses the foreground to a process the user is not working in; Wine never does,
// so the refusal is played by the foreground query.
TEST_F(CustomComboBoxTest, APopupThatDoesNotGetTheForegroundClosesAgainAtOnce) {
    addThree();
    combo.setForegroundQuery([&] { return parent->hwnd(); });
    combo.showPopup();
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(combo.popupWindow(), nullptr);
    EXPECT_EQ(::GetCapture(), nullptr);
    clickBox();
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP, CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_FALSE(combo.isOpen());

    // An open popup that is asked to the front again and refused closes too.
    combo.setForegroundQuery({});
    parent->clear();
    combo.showPopup();
    ASSERT_TRUE(combo.isOpen());
    EXPECT_EQ(::GetForegroundWindow(), combo.popupWindow());
    combo.setForegroundQuery([] { return static_cast<HWND>(nullptr); });
    combo.showPopup();
    EXPECT_FALSE(combo.isOpen());
    EXPECT_EQ(codes(), (std::vector<int>{CBN_DROPDOWN, CBN_CLOSEUP}));
}

TEST_F(CustomComboBoxTest, DestroyingTheObjectClosesThePopup) {
    auto owned = std::make_unique<CustomComboBox>();
    ASSERT_TRUE(owned->create(parent->hwnd(), 10, 60, 200, 28, kId));
    owned->addItem("A", kGreen, nullptr, 0, 0);
    ::SendMessageW(owned->window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(5, 5));
    HWND popup = owned->popupWindow();
    HWND box = owned->window();
    ASSERT_TRUE(::IsWindow(popup));
    owned.reset();
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_FALSE(::IsWindow(box));
    ASSERT_EQ(parent->messages().size(), 2u);
    EXPECT_EQ(parent->messages()[1].code(), CBN_CLOSEUP);
}

class ComboPlacementTest : public ControlWindowTest {
protected:
    // Opens a popup for a 280 x 28 box at screen position (x, y) with `count` items.
    RECT openAt(int x, int y, int count) {
        placed = std::make_unique<TestParentWindow>(x, y, 280, 28);
        EXPECT_TRUE(box.create(placed->hwnd(), 0, 0, 280, 28, kId));
        for (int i = 0; i < count; ++i) box.addItem("Boss " + std::to_string(i), kGreen, nullptr, i, count);
        ::SendMessageW(box.window(), WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(5, 5));
        pumpMessages(30);
        RECT r{};
        ::GetWindowRect(box.popupWindow(), &r);
        return r;
    }
    void TearDown() override {
        box.closePopup();
        placed.reset();
        ControlWindowTest::TearDown();
    }
    std::unique_ptr<TestParentWindow> placed;
    CustomComboBox box;
};

TEST_F(ComboPlacementTest, NearTheRightEdgeTheListEndsAtTheEdge) {
    const RECT monitor = primaryMonitorRect();
    const RECT r = openAt(monitor.right - 100, 300, 3);
    EXPECT_EQ(r.right, monitor.right);
    EXPECT_EQ(r.left, monitor.right - 280);
    EXPECT_EQ(r.top, 328);
    // It is on the screen where it says it is: its rows are painted.
    const PixelCapture pixels = screenPixels(box.popupWindow());
    EXPECT_TRUE(pixels.all(RECT{220, 0, 278, 26}, palette::kHover));  // row 0: selected and highlighted
}

TEST_F(ComboPlacementTest, NearTheBottomTheListMovesUpOverTheBox) {
    const RECT monitor = primaryMonitorRect();
    const RECT r = openAt(200, monitor.bottom - 40, 4);
    EXPECT_EQ(r.bottom, monitor.bottom);
    EXPECT_EQ(r.top, monitor.bottom - 4 * 28);
    EXPECT_EQ(r.left, 200);
    const PixelCapture pixels = screenPixels(box.popupWindow());
    EXPECT_TRUE(pixels.all(RECT{220, 30, 278, 54}, palette::kBackground));  // row 1
    EXPECT_TRUE(pixels.all(RECT{220, 0, 278, 26}, palette::kHover));
}

TEST_F(ComboPlacementTest, AListTallerThanTheMonitorStartsAtItsTop) {
    const RECT monitor = primaryMonitorRect();
    const int count = (monitor.bottom - monitor.top) / 28 + 10;
    const RECT r = openAt(300, 400, count);
    EXPECT_EQ(r.top, monitor.top);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.bottom - r.top, count * 28);  // runs past the bottom, no scrolling
    EXPECT_GT(r.bottom, monitor.bottom);
}

}  // namespace
}  // namespace mb::test
