// A test parent window on the screen, with the helpers that the control tests share.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "support/win/window_test_util.h"

namespace mb::test {

class ControlWindowTest : public ::testing::Test {
protected:
    // The parent sits at (100, 100) on the primary monitor, 500 x 400, with nothing over it.
    void SetUp() override {
        // Keep the real pointer away from every test window so that no real motion interferes.
        ::SetCursorPos(1900, 1070);
        pumpMessages(20);
        parent = std::make_unique<TestParentWindow>(100, 100, 500, 400);
        ASSERT_NE(parent->hwnd(), nullptr);
    }
    void TearDown() override {
        if (::GetCapture()) ::ReleaseCapture();
        parent.reset();
    }

    // Paints what is pending, then reads the client area of `window` from the screen.
    static PixelCapture screenPixels(HWND window) {
        ::UpdateWindow(window);
        pumpMessages(30);
        return PixelCapture::fromClient(window);
    }

    // Number of WM_COMMAND messages with this notification code.
    int commandCount(WORD code) const {
        int n = 0;
        for (const RecordedMessage& m : parent->messages())
            if (m.message == WM_COMMAND && m.code() == code) ++n;
        return n;
    }

    // Bounds of the pixels in `area` (all by default) unlike the background; empty if none.
    static RECT inkBounds(const PixelCapture& pixels, COLORREF background, RECT area = {0, 0, 4096, 4096}) {
        RECT ink{area.right, area.bottom, -1, -1};
        for (int y = area.top; y < std::min<LONG>(area.bottom, pixels.height()); ++y)
            for (int x = area.left; x < std::min<LONG>(area.right, pixels.width()); ++x)
                if (pixels.at(x, y) != background)
                    ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                           std::max<LONG>(ink.bottom, y + 1)};
        return ink.right < 0 ? RECT{0, 0, 0, 0} : ink;
    }

    // Nothing above the middle in the ink's last column: an ellipsis, not a cut letter.
    static bool endsInDots(const PixelCapture& pixels, const RECT& ink, COLORREF background) {
        for (int y = ink.top; y < (ink.top + ink.bottom) / 2; ++y)
            if (pixels.at(ink.right - 1, y) != background) return false;
        return true;
    }

    static std::wstring className(HWND window) {
        wchar_t name[128] = {};
        ::GetClassNameW(window, name, 128);
        return name;
    }

    static WNDCLASSEXW classInfo(const wchar_t* name) {
        WNDCLASSEXW info{};
        info.cbSize = sizeof(info);
        ::GetClassInfoExW(::GetModuleHandleW(nullptr), name, &info);
        return info;
    }

    std::unique_ptr<TestParentWindow> parent;
};

}  // namespace mb::test
