#include "desktop/settings_location.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "desktop/settings_text.h"

namespace mb {
namespace {

TEST(SettingsLocation, TheFileWrittenLastWinsAndATieGoesToTheOneBesideTheExecutable) {
    constexpr auto beside = SettingsFile::kBesideExecutable;
    constexpr auto fallback = SettingsFile::kFallback;
    // Beside exists, fallback exists, fallback is newer: the file to use.
    const bool cases[][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}};
    const SettingsFile expected[] = {beside, fallback, beside, beside, fallback};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(chooseSettingsFile(cases[i][0], cases[i][1], cases[i][2]), expected[i]) << i;
    }
    EXPECT_TRUE(startsWithUtf8Bom("\xEF\xBB\xBF[Network]"));
    EXPECT_FALSE(startsWithUtf8Bom("\xEF\xBB"));
}

TEST(SettingsText, ServerTextWithAnyControlCharacterIsNeverWrittenAsAValue) {
    using namespace std::string_view_literals;
    const std::pair<std::string_view, bool> cases[] = {
        {"boss_1", true},
        {"\xE9\xAD\x94\xE7\x8E\x8B \xC3\xA9=[x]", true},  // UTF-8, blanks, '=' and brackets stay text
        {"a\r[Network]", false},
        {"a\n[Network]", false},
        {"a\r\n[Network]\r\nTrackerUrl=http://evil", false},
        {"a\0b"sv, false},
        {"a\tb", false},
        {"\x01", false},
        {"a\x1f", false},
        {"a\x7f", false},
    };
    for (const auto& [text, writable] : cases) EXPECT_EQ(isWritableProfileValue(text), writable) << text;
}

}  // namespace
}  // namespace mb
