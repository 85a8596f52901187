#include "controls/win/control_base.h"

#include <gtest/gtest.h>

#include "support/win/window_test_util.h"

namespace mb {
namespace {

LRESULT CALLBACK plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST(ControlRegistration, FlagIsSetOnlyAfterEveryClassSucceededAndRetryWorks) {
    bool registered = false;
    WNDCLASSEXW broken = controlClass(L"MbTestBrokenClass", plainProcedure, 0, IDC_ARROW);
    broken.cbSize = 0;  // RegisterClassExW refuses it
    EXPECT_FALSE(
        registerControlClasses(registered,
                               {controlClass(L"MbTestFirstClass", plainProcedure, CS_OWNDC, IDC_ARROW), broken}));
    EXPECT_FALSE(registered);
    // The retry meets the first class already registered and still succeeds.
    EXPECT_TRUE(
        registerControlClasses(registered, {controlClass(L"MbTestFirstClass", plainProcedure, CS_OWNDC, IDC_ARROW),
                                            controlClass(L"MbTestSecondClass", plainProcedure,
                                                         CS_DROPSHADOW | CS_SAVEBITS, IDC_HAND)}));
    EXPECT_TRUE(registered);
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"MbTestSecondClass", &info));
    EXPECT_EQ(info.cbWndExtra, kWindowObjectBytes);
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DROPSHADOW | CS_SAVEBITS));
    EXPECT_EQ(info.hbrBackground, nullptr);
    EXPECT_EQ(info.hIcon, nullptr);
    // Once set, nothing is registered again.
    EXPECT_TRUE(registerControlClasses(registered, {broken}));
}

TEST(ControlFonts, PointSizeFollowsTheScreenDpi) {
    const int dpi = screenDpiY();
    ASSERT_GT(dpi, 0);
    UniqueFont font = createPointFont(14, dpi);
    ASSERT_TRUE(font);
    LOGFONTW info{};
    ASSERT_EQ(::GetObjectW(font.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.lfHeight, -::MulDiv(14, dpi, 72));  // character height, negated
    EXPECT_EQ(info.lfWidth, 0);
    EXPECT_EQ(info.lfWeight, FW_NORMAL);
    EXPECT_EQ(info.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(info.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(info.lfFaceName, L"Segoe UI");
}

TEST(ControlBackBuffer, BuildsOnlyForAPositiveSizeAndReleasesCleanly) {
    test::TestParentWindow parent(100, 100, 200, 100);
    BackBuffer buffer;
    buffer.rebuildBackBuffer(parent.hwnd(), 0, 40, true);
    EXPECT_FALSE(buffer.hasDc());
    buffer.rebuildBackBuffer(parent.hwnd(), 40, -1, true);
    EXPECT_FALSE(buffer.hasDc());
    buffer.rebuildBackBuffer(parent.hwnd(), 40, 20, true);
    ASSERT_TRUE(buffer.ready());
    EXPECT_EQ(::GetBkMode(buffer.dc()), TRANSPARENT);
    BITMAP selected{};
    ASSERT_TRUE(::GetObjectW(::GetCurrentObject(buffer.dc(), OBJ_BITMAP), sizeof(selected), &selected));
    EXPECT_EQ(selected.bmWidth, 40);
    EXPECT_EQ(selected.bmHeight, 20);
    fillSolid(buffer.dc(), RECT{0, 0, 40, 20}, palette::kHover);
    frameSolid(buffer.dc(), RECT{0, 0, 40, 20}, palette::kBorder);
    const test::PixelCapture pixels = test::PixelCapture::fromDc(buffer.dc(), 0, 0, 40, 20);
    EXPECT_EQ(pixels.at(0, 0), palette::kBorder);
    EXPECT_EQ(pixels.at(39, 19), palette::kBorder);
    EXPECT_EQ(pixels.at(5, 5), palette::kHover);
    buffer.rebuildBackBuffer(parent.hwnd(), 10, 10, false);  // replaces the old one
    ASSERT_TRUE(buffer.ready());
    EXPECT_EQ(::GetBkMode(buffer.dc()), OPAQUE);
    buffer.releaseBackBuffer();
    EXPECT_FALSE(buffer.hasDc());
    EXPECT_FALSE(buffer.hasBitmap());
    buffer.releaseBackBuffer();  // twice is harmless
}

TEST(ControlNotifications, CommandCarriesIdCodeAndSender) {
    test::TestParentWindow parent(100, 100, 200, 100);
    HWND fakeSender = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    sendCommand(parent.hwnd(), 0x12345, CBN_CLOSEUP, fakeSender);
    sendCommand(nullptr, 1, 0, fakeSender);  // no parent: nothing
    ASSERT_EQ(parent.messages().size(), 1u);
    EXPECT_EQ(parent.messages()[0].wParam, static_cast<WPARAM>((CBN_CLOSEUP << 16) | 0x2345));
    EXPECT_EQ(parent.messages()[0].from(), fakeSender);
}

}  // namespace
}  // namespace mb
