// Message boxes opened through showCenteredMessageBox sit over the middle of their owner.
#include "desktop/win/centered_message_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "desktop/monitor_geometry.h"
#include "support/win/box_watcher.h"
#include "support/win/window_test_util.h"

namespace mb {
namespace {

using test::BoxWatcher;

ScreenPoint expectedCorner(const RECT& box, const RECT& owner) {
    return centeredOver({box.left, box.top, box.right, box.bottom}, {owner.left, owner.top, owner.right, owner.bottom});
}

void expectCentred(const BoxWatcher& watcher, HWND owner) {
    ASSERT_TRUE(watcher.clicked()) << "the box never showed";
    EXPECT_EQ(watcher.owner(), owner);
    const RECT box = watcher.boxRect();
    const ScreenPoint corner = expectedCorner(box, watcher.ownerRect());
    EXPECT_EQ(box.left, corner.x);
    EXPECT_EQ(box.top, corner.y);
}

TEST(CenteredMessageBox, SitsOverTheOwnerEvenWhereItSticksOutOfTheScreen) {
    test::TestParentWindow owner(0, 200, 120, 300);  // narrower than the box, at the left edge
    BoxWatcher watcher(::GetCurrentThreadId(), L"Centred", IDOK, 5000);
    EXPECT_EQ(showCenteredMessageBox(owner.hwnd(), L"A text long enough to be wide", L"Centred", MB_OK), IDOK);
    expectCentred(watcher, owner.hwnd());
    EXPECT_LT(watcher.boxRect().left, 0) << "the box is not kept on the monitor";
}

TEST(CenteredMessageBox, SitsOverAHiddenOwnersRectangle) {
    test::TestParentWindow owner(600, 100, 450, 700);
    ::ShowWindow(owner.hwnd(), SW_HIDE);
    BoxWatcher watcher(::GetCurrentThreadId(), L"Hidden owner", IDYES, 5000);
    EXPECT_EQ(showCenteredMessageBox(owner.hwnd(), L"Question", L"Hidden owner", MB_YESNO | MB_ICONQUESTION), IDYES);
    expectCentred(watcher, owner.hwnd());
}

// The second box comes from the first one's message loop, as "Duplicate Hotkey" does while
// a hotkey is being captured.
HWND gNestedOwner = nullptr;
std::unique_ptr<BoxWatcher> gFirstWatcher;
std::unique_ptr<BoxWatcher> gSecondWatcher;
int gSecondResult = 0;

void CALLBACK openSecondBox(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    gSecondWatcher = std::make_unique<BoxWatcher>(::GetCurrentThreadId(), L"Second", IDOK, 5000);
    gSecondResult = showCenteredMessageBox(gNestedOwner, L"Inner", L"Second", MB_OK | MB_ICONWARNING);
    // Only now may the first box be answered.
    gFirstWatcher = std::make_unique<BoxWatcher>(::GetCurrentThreadId(), L"First", IDOK, 5000);
}

TEST(CenteredMessageBox, ABoxOpenedFromAnotherBoxIsCentredToo) {
    test::TestParentWindow owner(300, 150, 500, 400);
    gNestedOwner = owner.hwnd();
    ASSERT_NE(::SetTimer(nullptr, 0, 300, &openSecondBox), 0u);
    EXPECT_EQ(showCenteredMessageBox(owner.hwnd(), L"Outer", L"First", MB_OK), IDOK);
    EXPECT_EQ(gSecondResult, IDOK);
    ASSERT_TRUE(gSecondWatcher && gFirstWatcher);
    expectCentred(*gSecondWatcher, owner.hwnd());
    expectCentred(*gFirstWatcher, owner.hwnd());
    gFirstWatcher.reset();
    gSecondWatcher.reset();
}

}  // namespace
}  // namespace mb
