// The dot icons' pixels, the help text and the click-through window styles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/click_through_styles.h"
#include "desktop/dot_icon.h"
#include "desktop/help_text.h"

namespace mb {
namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

TEST(DotIcon, ADiscOf613PixelsShadedFromTheCentreToSeventyPerCentAtTheRim) {
    int inside = 0;
    for (int y = 0; y < dot_icon::kSize; ++y) {
        for (int x = 0; x < dot_icon::kSize; ++x) inside += dot_icon::inside(x, y);
    }
    EXPECT_EQ(inside, 613);
    EXPECT_EQ(dot_icon::pixel(16, 16, 100, 150, 255), rgb(100, 150, 255));
    EXPECT_EQ(dot_icon::pixel(30, 16, 100, 150, 255), rgb(70, 105, 178));  // d2 = 196, single precision
    EXPECT_EQ(dot_icon::pixel(31, 16, 100, 150, 255), 0u);
    EXPECT_EQ(dot_icon::pixel(0, 0, 255, 0, 0), 0u);
    EXPECT_EQ(dot_icon::pixel(16, 2, 0, 255, 0), rgb(0, 178, 0));
}

// The executable's icon holds the disc at several sizes: each covers the share of its image that a
// radius of 7/16 gives (pi * 49 / 256), is the base colour at its centre, and an image a power of
// two larger repeats the smaller one's pixels at every second (fourth, eighth) pixel.
TEST(DotIcon, EverySizeDrawsTheSameDiscScaledWithTheImage) {
    struct Case {
        int small, large;
    };
    for (const Case& sizes : {Case{16, 32}, Case{24, 48}, Case{32, 64}, Case{32, 256}}) {
        const int step = sizes.large / sizes.small;
        for (const int size : {sizes.small, sizes.large}) {
            int inside = 0;
            for (int i = 0; i < size * size; ++i) inside += dot_icon::inside(size, i % size, i / size);
            EXPECT_NEAR(inside / double(size * size), 3.14159 * 49 / 256, 0.02) << size;
            EXPECT_EQ(dot_icon::pixel(size, size / 2, size / 2, 100, 150, 255), rgb(100, 150, 255)) << size;
        }
        for (int i = 0; i < sizes.small * sizes.small; ++i) {
            const int x = i % sizes.small, y = i / sizes.small;
            ASSERT_EQ(dot_icon::pixel(sizes.large, x * step, y * step, 100, 150, 255),
                      dot_icon::pixel(sizes.small, x, y, 100, 150, 255))
                << sizes.small << " to " << sizes.large << " at " << x << "," << y;
        }
    }
}

std::vector<std::wstring> lines(const std::wstring& text) {
    std::vector<std::wstring> out;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        out.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the last line ends with a line break too";
    return out;
}

TEST(HelpText, TwentyEightLinesWithTheBindingsByName) {
    const HotkeyBindings bindings{{{66, 6}, {66, 2}, {0x70, 7}}};  // Ctrl+Shift+B, Ctrl+B, Ctrl+Shift+Alt+F1
    const std::vector<std::wstring> text = lines(helpText(bindings));
    ASSERT_EQ(text.size(), 28u);
    EXPECT_EQ(text[0], L"Marrowbell v1.5.1");
    EXPECT_EQ(text[3], L"HOTKEYS (customizable in settings):");
    EXPECT_EQ(text[4], L"  Ctrl+B - Show/Hide window");
    EXPECT_EQ(text[5], L"  Ctrl+Shift+B - Toggle click-through mode");
    EXPECT_EQ(text[7], L"  Ctrl+Shift+Alt+F1 - Boss menu");
    EXPECT_EQ(text[10], L"    Green = Connected & receiving updates");
    EXPECT_EQ(text[13], L"\u2022 Double-click tray icon to show/hide");
    EXPECT_EQ(text[18], L"  (Press ESC to cancel rebinding)");
    EXPECT_EQ(text[22], L"CREDITS:");
    for (size_t i : {2u, 6u, 8u, 12u, 15u, 21u}) EXPECT_EQ(text[i], L"") << i;
    for (size_t i = 23; i < 28; ++i) EXPECT_EQ(text[i].rfind(L"\u2022 ", 0), 0u) << i;

    // Whatever the file holds, nothing is cut off.
    HotkeyBindings odd;
    odd.fill({0xFFFFFFFF, 0xFFFFFFFF});
    const std::vector<std::wstring> oddText = lines(helpText(odd));
    ASSERT_EQ(oddText.size(), 28u);
    EXPECT_EQ(oddText[4], L"  Ctrl+Shift+Alt+Key 0xFFFFFFFF - Show/Hide window");
    EXPECT_EQ(oddText[27], text[27]);
}

TEST(ClickThroughStyles, TheFrameGoesAndComesBackWithLayeredAndTopMostKept) {
    const WindowStyles normal{0x16CC0000, 0x00080008};  // visible, clip children, frame; layered, top-most
    const WindowStyles on = clickThroughStyles(normal, true);
    EXPECT_EQ(on, (WindowStyles{0x96000000, 0x08080028}));
    EXPECT_EQ(clickThroughStyles(on, false), (WindowStyles{0x16CC0000, 0x00080008}));
    // The minimise and maximise boxes go as well, and never come back.
    EXPECT_EQ(clickThroughStyles({0x16CF0000, 0x00080008}, true).style, 0x96000000u);
}

}  // namespace
}  // namespace mb
