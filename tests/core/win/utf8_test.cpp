#include "core/win/utf8.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

TEST(Utf8, ConvertsBothWaysWithReplacementForMalformedText) {
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToWide("Gorath"), L"Gorath");
    EXPECT_EQ(Utf8ToWide("\xC3\x89lo\xC3\xAF"
                         "se"),
              L"\u00C9lo\u00EFse");
    EXPECT_EQ(Utf8ToWide("\xE8\xB5\xA4\xE9\xBE\x8D"), L"\u8D64\u9F8D");
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x90\x89"), L"\U0001F409");  // a surrogate pair
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));  // explicit length
    EXPECT_EQ(wideToUtf8(L"\u00C9lo\u00EFse \u8D64\U0001F409"), "\xC3\x89lo\xC3\xAFse \xE8\xB5\xA4\xF0\x9F\x90\x89");
    EXPECT_EQ(wideToUtf8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");  // a lone surrogate
    EXPECT_EQ(wideToUtf8(L""), "");
}

}  // namespace
}  // namespace mb
