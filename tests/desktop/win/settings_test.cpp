// The settings record through the real profile-file functions, in a folder of its own.
#include "desktop/win/settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "support/win/temp_folder.h"

namespace mb {
namespace {

// Everything the settings file persists, in one comparable (and printable) value.
struct Record {
    std::array<int32_t, 4> rect;  // left, top, right, bottom
    int32_t opacity;
    int32_t textScale;
    bool clickThroughMode;
    std::array<uint32_t, 6> hotkeys;  // click-through, show/hide and boss-menu key and mods
    std::string lastBoss;
    bool operator==(const Record&) const = default;
};

Record recordOf(const Settings& s) {
    return {{s.left, s.top, s.right, s.bottom},
            s.opacity,
            s.textScale,
            s.clickThroughMode,
            {s.clickThroughKey, s.clickThroughMods, s.visibilityKey, s.visibilityMods, s.bossMenuKey, s.bossMenuMods},
            s.lastBoss};
}

std::ostream& operator<<(std::ostream& out, const Record& r) {
    out << "rect " << r.rect[0] << ',' << r.rect[1] << ',' << r.rect[2] << ',' << r.rect[3] << " opacity "
        << r.opacity << " scale " << r.textScale << " clickThrough " << r.clickThroughMode << " hotkeys";
    for (uint32_t value : r.hotkeys) out << ' ' << value;
    return out << " lastBoss \"" << r.lastBoss << '"';
}

class SettingsFile : public ::testing::Test {
protected:
    std::wstring path() const { return folder.file(L"Marrowbell.ini"); }
    void put(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
        ASSERT_TRUE(::WritePrivateProfileStringW(section, key, value.c_str(), path().c_str()));
    }
    std::wstring get(const wchar_t* section, const wchar_t* key) const {
        wchar_t buffer[1024] = {};
        ::GetPrivateProfileStringW(section, key, L"<absent>", buffer, 1024, path().c_str());
        return buffer;
    }
    Settings loaded() const {
        Settings settings(path());
        EXPECT_TRUE(settings.load());
        return settings;
    }
    test::TempFolder folder;
};

TEST_F(SettingsFile, NoFileGivesEveryDefaultAndCreatesNothing) {
    Settings s = loaded();
    EXPECT_EQ(s.settingsPath, path());
    EXPECT_EQ(recordOf(s), (Record{{100, 100, 550, 800}, 75, 100, false, {66, 6, 66, 2, 65, 2}, ""}));
    EXPECT_EQ(s.trackerUrl, "https://tracker.marrowbell.example");
    EXPECT_TRUE(s.ntpServers.empty());
    EXPECT_EQ(::GetFileAttributesW(path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsFile, ClampsOpacityAndTextScaleOnReading) {
    put(L"Window", L"Opacity", L"5");
    put(L"Window", L"TextScale", L"50");
    Settings low = loaded();
    EXPECT_EQ(low.opacity, 10);
    EXPECT_EQ(low.textScale, 100);

    put(L"Window", L"Opacity", L"250");
    put(L"Window", L"TextScale", L"300");
    Settings high = loaded();
    EXPECT_EQ(high.opacity, 100);
    EXPECT_EQ(high.textScale, 200);

    put(L"Window", L"Opacity", L"abc");  // not a number: read as 0, then clamped
    EXPECT_EQ(loaded().opacity, 10);
    EXPECT_EQ(get(L"Window", L"Opacity"), L"abc");  // nothing written back by reading
}

TEST_F(SettingsFile, AnyNonZeroClickThroughModeIsOnAndIsWrittenBackAsOne) {
    put(L"Window", L"ClickThroughMode", L"7");
    Settings s = loaded();
    EXPECT_TRUE(s.clickThroughMode);
    EXPECT_EQ(get(L"Window", L"ClickThroughMode"), L"7");
    s.save();
    EXPECT_EQ(get(L"Window", L"ClickThroughMode"), L"1");
}

TEST_F(SettingsFile, ALongLastBossIsReadAsItsFirst255Characters) {
    std::wstring longId(300, L'x');
    for (size_t i = 0; i < longId.size(); ++i) longId[i] = static_cast<wchar_t>(L'a' + i % 26);
    put(L"Selection", L"LastBoss", longId);
    Settings s = loaded();
    ASSERT_EQ(s.lastBoss.size(), 255u);
    EXPECT_EQ(std::wstring(s.lastBoss.begin(), s.lastBoss.end()), longId.substr(0, 255));
}

TEST_F(SettingsFile, NoSelectionSectionLeavesLastBossEmptyAndSaveWritesNone) {
    put(L"Window", L"Left", L"5");
    Settings s = loaded();
    EXPECT_TRUE(s.lastBoss.empty());
    s.save();
    EXPECT_EQ(get(L"Selection", L"LastBoss"), L"<absent>");
}

TEST_F(SettingsFile, AnEmptyLastBossLeavesAnEarlierLineUntouched) {
    put(L"Selection", L"LastBoss", L"boss_earlier");
    Settings s(path());  // not loaded: lastBoss empty
    s.save();
    EXPECT_EQ(get(L"Selection", L"LastBoss"), L"boss_earlier");
    s.lastBoss = "boss_new";
    s.save();
    EXPECT_EQ(get(L"Selection", L"LastBoss"), L"boss_new");
}

TEST_F(SettingsFile, SaveWritesEveryKeyAndLoadReadsThemBack) {
    Settings s(path());
    s.setWindowRect(-20, 30, 400, 900);
    s.setOpacity(3);
    EXPECT_EQ(s.opacity, 10);
    s.setOpacity(64);
    s.textScale = 150;
    s.clickThroughMode = false;
    s.clickThroughKey = 0x70;
    s.clickThroughMods = 0xFFFFFFFFu;
    s.visibilityKey = 0x31;
    s.visibilityMods = 1;
    s.bossMenuKey = 0x5A;
    s.bossMenuMods = 5;
    s.lastBoss = "k7x2m9q4";
    s.save();
    EXPECT_EQ(get(L"Window", L"Left"), L"-20");
    EXPECT_EQ(get(L"Window", L"ClickThroughMode"), L"0");
    EXPECT_EQ(get(L"Hotkeys", L"ClickThroughMods"), L"4294967295");
    EXPECT_EQ(get(L"Hotkeys", L"ClickThrough"), L"112");

    EXPECT_EQ(recordOf(loaded()),
              (Record{{-20, 30, 400, 900}, 64, 150, false, {0x70, 0xFFFFFFFFu, 0x31, 1, 0x5A, 5}, "k7x2m9q4"}));
}

TEST_F(SettingsFile, NetworkKeysAreReadAndNeverWritten) {
    put(L"Network", L"TrackerUrl", L"http://127.0.0.1:8443//");
    put(L"Network", L"NtpServers", L"127.0.0.1:5123, localhost");
    Settings s = loaded();
    EXPECT_EQ(s.trackerUrl, "http://127.0.0.1:8443");
    std::vector<NtpServerAddress> expected{{"127.0.0.1", "5123"}, {"localhost", "123"}};
    EXPECT_EQ(s.ntpServers, expected);

    s.trackerUrl = "https://changed.example";
    s.save();
    EXPECT_EQ(get(L"Network", L"TrackerUrl"), L"http://127.0.0.1:8443//");
    EXPECT_EQ(get(L"Network", L"NtpServers"), L"127.0.0.1:5123, localhost");

    // A file without the section never gains it.
    test::TempFolder other;
    Settings fresh(other.file(L"Marrowbell.ini"));
    fresh.save();
    wchar_t names[512] = {};
    DWORD length = ::GetPrivateProfileSectionNamesW(names, 512, fresh.settingsPath.c_str());
    std::wstring all(names, length);
    EXPECT_NE(all.find(L"Window"), std::wstring::npos);
    EXPECT_EQ(all.find(L"Network"), std::wstring::npos);
}

TEST_F(SettingsFile, UnusableNetworkValuesKeepTheDefaults) {
    put(L"Network", L"TrackerUrl", L"ftp://127.0.0.1");
    put(L"Network", L"NtpServers", L"a,b,c,d,e");
    Settings s = loaded();
    EXPECT_EQ(s.trackerUrl, "https://tracker.marrowbell.example");
    EXPECT_TRUE(s.ntpServers.empty());

    put(L"Network", L"TrackerUrl", L"https://h\u00e9st.example");  // not ASCII
    EXPECT_EQ(loaded().trackerUrl, "https://tracker.marrowbell.example");
}

TEST(SettingsPath, LivesNextToTheExecutable) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = Settings::executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_EQ(std::wstring(exe).rfind(folder + L"\\", 0), 0u);
    EXPECT_EQ(Settings().settingsPath, folder + L"\\Marrowbell.ini");
}

}  // namespace
}  // namespace mb
