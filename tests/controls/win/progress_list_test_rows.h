// Shared set-up of the channel list tests: a visible parent and a list of 300 x 330 pixels.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/win/progress_list.h"
#include "support/win/window_test_util.h"

namespace mb::test {

inline constexpr int kListWidth = 300;
inline constexpr int kListHeight = 330;
inline constexpr int kListId = 1002;
inline constexpr int kWideListWidth = 420;  // about the list's width in a default main window

// Rows without overlay text: channel i + 1 at the given health.
inline std::vector<ChannelRow> rowsAt(std::initializer_list<int> health) {
    std::vector<ChannelRow> rows;
    int channel = 1;
    for (int hp : health) {
        ChannelRow row;
        row.channel = channel++;
        row.hpPercent = hp;
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<ChannelRow> manyRows(int count) {
    std::vector<ChannelRow> rows;
    for (int i = 0; i < count; ++i) {
        ChannelRow row;
        row.channel = i + 1;
        row.hpPercent = 10 + (i * 7) % 90;
        rows.push_back(row);
    }
    return rows;
}

class ProgressListFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // Wide enough for the list to grow to the main window's default width.
        parent_ = std::make_unique<TestParentWindow>(40, 40, kWideListWidth + 20, kListHeight + 20);
        ASSERT_NE(parent_->hwnd(), nullptr);
        ASSERT_TRUE(list_.create(parent_->hwnd(), 10, 10, kListWidth, kListHeight, kListId));
        pumpMessages();
    }

    // What the screen shows of the list after a synchronous repaint.
    PixelCapture capture() {
        ::RedrawWindow(list_.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return PixelCapture::fromClient(list_.window());
    }

    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageW(list_.window(), message, wParam, lParam);
    }
    void wheel(short delta) { send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0); }

    // The parent goes after the list (members are destroyed in reverse order).
    std::unique_ptr<TestParentWindow> parent_;
    ProgressList list_;
};

}  // namespace mb::test
