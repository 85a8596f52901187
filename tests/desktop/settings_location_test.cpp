#include "desktop/settings_location.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

TEST(SettingsLocation, TheFileBesideTheExecutableWinsUnlessItIsStuckAndAFallbackWasMadeFromIt) {
    constexpr auto beside = SettingsFile::kBesideExecutable;
    constexpr auto fallback = SettingsFile::kFallback;
    // Beside exists, beside writable, fallback exists: the file to use.
    const bool cases[][3] = {{0, 0, 0}, {0, 0, 1}, {1, 1, 0}, {1, 1, 1}, {1, 0, 0}, {1, 0, 1}};
    const SettingsFile expected[] = {beside, fallback, beside, beside, beside, fallback};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(chooseSettingsFile(cases[i][0], cases[i][1], cases[i][2]), expected[i]) << i;
    }
    EXPECT_TRUE(startsWithUtf8Bom("\xEF\xBB\xBF[Network]"));
    EXPECT_FALSE(startsWithUtf8Bom("\xEF\xBB"));
}

}  // namespace
}  // namespace mb
