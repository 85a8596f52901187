// The channel list as a real window: class, sizes, and scrolling by real messages.
#include <gtest/gtest.h>

#include "progress_list_test_rows.h"

namespace mb::test {
namespace {

using ProgressListWindow = ProgressListFixture;

TEST_F(ProgressListWindow, RegistersItsClassWithOwnDcDoubleClicksAndTheObjectInSlotZero) {
    HWND window = list_.window();
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), kProgressListClass, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_OWNDC | CS_DBLCLKS));
    EXPECT_EQ(info.cbWndExtra, 8);
    EXPECT_EQ(info.hbrBackground, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(window, 0), reinterpret_cast<LONG_PTR>(&list_));
    EXPECT_EQ(::GetWindowLongPtrW(window, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(::GetDlgCtrlID(window), kListId);
    EXPECT_EQ(::GetParent(window), parent_->hwnd());
    EXPECT_EQ(send(WM_ERASEBKGND, 0, 0), 1);
    // A second list reuses the registered class.
    ProgressList second;
    EXPECT_TRUE(second.create(parent_->hwnd(), 0, 0, 50, 50, 7));
}

TEST_F(ProgressListWindow, RowHeightFollowsTextScaleAndVisibleRowsFollowTheHeight) {
    EXPECT_EQ(list_.rowHeight(), 30);  // before the first text-scale change
    EXPECT_EQ(list_.visibleRows(), 11);
    list_.setTextScale(100);
    EXPECT_EQ(list_.rowHeight(), 40);
    EXPECT_EQ(list_.visibleRows(), 8);
    list_.setTextScale(150);
    EXPECT_EQ(list_.rowHeight(), 60);
    EXPECT_EQ(list_.visibleRows(), 5);
    list_.setTextScale(200);
    EXPECT_EQ(list_.rowHeight(), 80);
    EXPECT_EQ(list_.visibleRows(), 4);
    list_.setBounds(10, 10, kListWidth, 500);
    EXPECT_EQ(list_.visibleRows(), 6);
    RECT client{};
    ::GetClientRect(list_.window(), &client);
    EXPECT_EQ(client.bottom, 500);
}

TEST_F(ProgressListWindow, RowHeightStripAndThumbFollowTheDpi) {
    list_.setDpi(144);
    EXPECT_EQ(list_.rowHeight(), 45);  // before the first text-scale change
    list_.setTextScale(100);
    EXPECT_EQ(list_.visibleRows(), 5);  // of 60 pixels
    list_.setRows(manyRows(20));
    // The thumb 3 pixels inside an 18-pixel strip: 82 pixels high for 5 of 20 rows.
    EXPECT_EQ(capture().count(RECT{270, 0, 300, kListHeight}, progress_list::kThumb), 12 * 76);
    list_.setDpi(96);
    EXPECT_EQ(list_.visibleRows(), 8);
}

TEST_F(ProgressListWindow, VScrollAndWheelNeverPassTheLastPage) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    send(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(list_.topIndex(), 8);
    send(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(list_.topIndex(), 12);
    send(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(list_.topIndex(), 12);
    send(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(list_.topIndex(), 11);
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 3), 0);
    EXPECT_EQ(list_.topIndex(), 3);
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 60000), 0);
    EXPECT_EQ(list_.topIndex(), 12);
    send(WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(list_.topIndex(), 12);

    list_.scrollToTop();
    EXPECT_EQ(list_.topIndex(), 0);
    ::ValidateRect(list_.window(), nullptr);
    wheel(-60);
    EXPECT_EQ(list_.topIndex(), 0);                                // half a notch scrolls nothing yet
    EXPECT_TRUE(::GetUpdateRect(list_.window(), nullptr, FALSE));  // repainted all the same
    wheel(-60);
    EXPECT_EQ(list_.topIndex(), 1);  // the second half completes the notch
    wheel(-240);
    EXPECT_EQ(list_.topIndex(), 3);
    for (int i = 0; i < 10; ++i) wheel(-240);
    EXPECT_EQ(list_.topIndex(), 12);
    wheel(360);
    EXPECT_EQ(list_.topIndex(), 9);
}

TEST_F(ProgressListWindow, SmallWheelDeltasAddUpAndAReversalDropsWhatWasLeft) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    send(WM_VSCROLL, SB_PAGEDOWN, 0);
    // Wheel delta, then the first row: three touchpad steps of 40 make one notch up; a turn
    // back drops what was left over (80 up, 40 down, 80 up is not a notch); whole notches
    // move one row each.
    const int steps[][2] = {{40, 8}, {40, 8}, {40, 7}, {80, 7}, {-40, 7}, {80, 7}, {40, 6}, {120, 5}, {-120, 6}};
    for (const auto& [delta, top] : steps) {
        ::ValidateRect(list_.window(), nullptr);
        wheel(static_cast<short>(delta));
        EXPECT_EQ(list_.topIndex(), top) << delta;
        EXPECT_TRUE(::GetUpdateRect(list_.window(), nullptr, FALSE)) << delta;  // repainted every time
    }
}

TEST_F(ProgressListWindow, StripClickPagesOnceAndTheDoubleClickIsIgnored) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    const LPARAM belowThumb = mousePoint(kListWidth - 5, 200);
    send(WM_LBUTTONDOWN, MK_LBUTTON, belowThumb);
    send(WM_LBUTTONUP, 0, belowThumb);
    EXPECT_EQ(list_.topIndex(), 8);
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, belowThumb);
    send(WM_LBUTTONUP, 0, belowThumb);
    EXPECT_EQ(list_.topIndex(), 8);
    // Above the thumb (now at 134..262) pages back up.
    send(WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(kListWidth - 5, 20));
    EXPECT_EQ(list_.topIndex(), 0);
    // Left of the strip, or with the strip switched off, a press does nothing.
    send(WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(kListWidth - 13, 200));
    EXPECT_EQ(list_.topIndex(), 0);
    list_.setScrollBarEnabled(false);
    send(WM_LBUTTONDOWN, MK_LBUTTON, belowThumb);
    EXPECT_EQ(list_.topIndex(), 0);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ProgressListWindow, RealDoubleClickOnTheStripPagesOnce) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    POINT target = clientToScreen(list_.window(), kListWidth - 5, 200);
    ASSERT_TRUE(::SetCursorPos(target.x, target.y));
    pumpMessages(20);
    INPUT clicks[4]{};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = (i % 2 == 0) ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    ASSERT_EQ(::SendInput(4, clicks, sizeof(INPUT)), 4u);
    pumpMessages(100);
    // With CS_DBLCLKS the second press arrives as WM_LBUTTONDBLCLK: one page, not two.
    EXPECT_EQ(list_.topIndex(), 8);
}

TEST_F(ProgressListWindow, ThumbDragFollowsThePointerUnderCapture) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    HWND window = list_.window();
    send(WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(kListWidth - 6, 50));  // on the thumb (2..130)
    EXPECT_TRUE(list_.draggingThumb());
    EXPECT_EQ(::GetCapture(), window);
    EXPECT_EQ(list_.topIndex(), 0);
    send(WM_MOUSEMOVE, MK_LBUTTON, mousePoint(kListWidth - 6, 50 + 99));
    EXPECT_EQ(list_.topIndex(), 6);
    send(WM_MOUSEMOVE, MK_LBUTTON, mousePoint(100, 900));  // anywhere, even outside the list
    EXPECT_EQ(list_.topIndex(), 12);
    send(WM_MOUSEMOVE, MK_LBUTTON, mousePoint(100, -40));
    EXPECT_EQ(list_.topIndex(), 0);
    send(WM_MOUSEMOVE, MK_LBUTTON, mousePoint(100, 50 + 16));
    EXPECT_EQ(list_.topIndex(), 1);
    send(WM_LBUTTONUP, 0, mousePoint(100, 50 + 16));
    EXPECT_FALSE(list_.draggingThumb());
    EXPECT_EQ(::GetCapture(), nullptr);
    send(WM_MOUSEMOVE, 0, mousePoint(100, 300));
    EXPECT_EQ(list_.topIndex(), 1);
}

TEST_F(ProgressListWindow, LosingTheCaptureEndsTheDrag) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    send(WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(kListWidth - 6, 50));
    ASSERT_TRUE(list_.draggingThumb());
    ::SetCapture(parent_->hwnd());
    EXPECT_FALSE(list_.draggingThumb());
    send(WM_MOUSEMOVE, 0, mousePoint(100, 300));
    EXPECT_EQ(list_.topIndex(), 0);
    ::ReleaseCapture();
}

TEST_F(ProgressListWindow, HoverOverTheStripIsTrackedUntilTheMouseLeaves) {
    list_.setTextScale(100);
    POINT over = clientToScreen(list_.window(), kListWidth - 5, 100);
    ::SetCursorPos(over.x, over.y);
    send(WM_MOUSEMOVE, 0, mousePoint(kListWidth - 5, 100));
    EXPECT_TRUE(list_.scrollHover());  // tracked with no rows as well
    send(WM_MOUSEMOVE, 0, mousePoint(kListWidth - 20, 100));
    EXPECT_FALSE(list_.scrollHover());
    send(WM_MOUSEMOVE, 0, mousePoint(kListWidth - 1, 0));
    EXPECT_TRUE(list_.scrollHover());
    send(WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(list_.scrollHover());
}

TEST_F(ProgressListWindow, NewRowsKeepTheScrollPositionWhileItIsValid) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), 0);
    list_.setRows(manyRows(20));
    EXPECT_EQ(list_.topIndex(), 5);
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 12), 0);
    list_.setRows(manyRows(15));  // the last page stays full
    EXPECT_EQ(list_.topIndex(), 7);
    list_.setRows(manyRows(5));
    EXPECT_EQ(list_.topIndex(), 0);
    list_.setRows(manyRows(20));
    send(WM_VSCROLL, SB_PAGEDOWN, 0);
    list_.clearRows();
    EXPECT_EQ(list_.topIndex(), 0);
    EXPECT_EQ(list_.rowCount(), 0);
    // With no rows nothing scrolls.
    send(WM_VSCROLL, SB_PAGEDOWN, 0);
    wheel(-240);
    EXPECT_EQ(list_.topIndex(), 0);
}

TEST_F(ProgressListWindow, ARefreshOfSomeRowsGivesThePixelsOfAWholePaint) {
    list_.setTextScale(100);
    std::vector<ChannelRow> rows = manyRows(20);
    for (ChannelRow& row : rows) row.secondsLeft = 90.0 + row.channel, row.lossRate = 0.5;  // text over every bar
    list_.setRows(rows);
    rows[2].hpPercent = 3;
    rows[8].secondsLeft = 5.0;  // the partly visible row
    rows[5].textColor = RGB(200, 200, 200);
    list_.setRows(rows);  // draws those three rows only
    const PixelCapture refreshed = capture();
    send(WM_VSCROLL, SB_LINEDOWN, 0);
    capture();
    send(WM_VSCROLL, SB_LINEUP, 0);
    const PixelCapture whole = capture();  // back at the top: drawn whole
    ASSERT_EQ(refreshed.width(), kListWidth);
    int differing = 0;
    for (int y = 0; y < kListHeight; ++y)
        for (int x = 0; x < kListWidth; ++x) differing += refreshed.at(x, y) != whole.at(x, y);
    EXPECT_EQ(differing, 0);
}

TEST(ProgressListLifetime, TheObjectDestroysItsWindowAndSurvivesAParentThatWentFirst) {
    auto parent = std::make_unique<TestParentWindow>(40, 40, 200, 200);
    HWND window = nullptr;
    {
        ProgressList list;
        ASSERT_TRUE(list.create(parent->hwnd(), 0, 0, 100, 100, 1));
        window = list.window();
        EXPECT_TRUE(::IsWindow(window));
    }
    EXPECT_FALSE(::IsWindow(window));

    ProgressList orphan;
    ASSERT_TRUE(orphan.create(parent->hwnd(), 0, 0, 100, 100, 2));
    parent.reset();
    EXPECT_EQ(orphan.window(), nullptr);
    orphan.setRows(manyRows(3));  // no window: nothing to draw, nothing breaks
    orphan.setTextScale(150);
    EXPECT_EQ(orphan.rowCount(), 3);
}

}  // namespace
}  // namespace mb::test
