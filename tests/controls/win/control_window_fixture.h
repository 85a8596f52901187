// A test parent window on the screen, with the helpers that the control tests share.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

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
