// The settings record through the real profile-file functions, in a folder of its own.
#include "desktop/win/settings.h"
#include "desktop/win/startup_config.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "desktop/settings_location.h"
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
    out << "rect " << r.rect[0] << ',' << r.rect[1] << ',' << r.rect[2] << ',' << r.rect[3] << " opacity " << r.opacity
        << " scale " << r.textScale << " clickThrough " << r.clickThroughMode << " hotkeys";
    for (uint32_t value : r.hotkeys) out << ' ' << value;
    return out << " lastBoss \"" << r.lastBoss << '"';
}

std::string fileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

class SettingsFile : public ::testing::Test {
protected:
    std::wstring path() const { return folder.file(L"Marrowbell.ini"); }
    // Stands in for %LOCALAPPDATA%\Marrowbell\Marrowbell.ini; its folders do not exist yet.
    std::wstring fallback() const { return folder.file(L"Local\\Marrowbell\\Marrowbell.ini"); }
    void put(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
        ASSERT_TRUE(::WritePrivateProfileStringW(section, key, value.c_str(), path().c_str()));
    }
    std::wstring get(const wchar_t* section, const wchar_t* key) const {
        wchar_t buffer[1024] = {};
        ::GetPrivateProfileStringW(section, key, L"<absent>", buffer, 1024, path().c_str());
        return buffer;
    }
    // The record as a start reads it (its copies all use the fixture's store), and what the
    // file says about the start-up.
    Settings loaded() {
        Settings settings(store);
        EXPECT_TRUE(settings.load());
        return settings;
    }
    StartupConfig config() const { return StartupConfig::read(path()); }
    test::TempFolder folder;
    SettingsStore store{path(), L""};
};

TEST_F(SettingsFile, NoFileGivesEveryDefaultAndCreatesNothing) {
    Settings s = loaded();
    EXPECT_EQ(store.path(), path());
    EXPECT_EQ(recordOf(s), (Record{{100, 100, 550, 800}, 75, 100, false, {66, 6, 66, 2, 65, 2}, ""}));
    EXPECT_EQ(config().trackerUrl, "https://tracker.marrowbell.example");
    EXPECT_TRUE(config().ntpServers.empty());
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
    Settings s(store);  // not loaded: lastBoss empty
    s.save();
    EXPECT_EQ(get(L"Selection", L"LastBoss"), L"boss_earlier");
    s.lastBoss = "boss_new";
    s.save();
    EXPECT_EQ(get(L"Selection", L"LastBoss"), L"boss_new");
}

TEST_F(SettingsFile, SaveWritesEveryKeyAndLoadReadsThemBack) {
    Settings s(store);
    s.setWindowRect(-20, 30, 400, 900, 144);
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
    EXPECT_TRUE(s.save());
    EXPECT_EQ(get(L"Window", L"Left"), L"-20");
    EXPECT_EQ(get(L"Window", L"RectDpi"), L"144");
    EXPECT_EQ(loaded().rectDpi, 144);
    put(L"Window", L"RectDpi", L"0");  // no screen has it: 96, as without the key
    EXPECT_EQ(loaded().rectDpi, 96);
    EXPECT_EQ(get(L"Window", L"ClickThroughMode"), L"0");
    EXPECT_EQ(get(L"Hotkeys", L"ClickThroughMods"), L"4294967295");
    EXPECT_EQ(get(L"Hotkeys", L"ClickThrough"), L"112");

    EXPECT_EQ(recordOf(loaded()),
              (Record{{-20, 30, 400, 900}, 64, 150, false, {0x70, 0xFFFFFFFFu, 0x31, 1, 0x5A, 5}, "k7x2m9q4"}));
    // The file the save made starts with how to point the overlay at a tracker, still there
    // after the writes; the lines it shows, once uncommented, are read.
    std::string bytes = fileBytes(path());
    ASSERT_EQ(bytes.rfind(kNewSettingsFileHeader, 0), 0u);
    EXPECT_NE(bytes.find("[Window]"), std::string::npos);
    EXPECT_EQ(config().trackerAddress(), TrackerAddress::Placeholder);
    bytes.erase(bytes.find(";TrackerUrl="), 1);
    writeBytes(path(), bytes);
    EXPECT_EQ(config().trackerUrl, "https://tracker.example.org");
    EXPECT_EQ(config().trackerAddress(), TrackerAddress::Usable);
}

TEST_F(SettingsFile, NetworkKeysAreReadAndNeverWritten) {
    put(L"Network", L"TrackerUrl", L"http://127.0.0.1:8443//");
    put(L"Network", L"NtpServers", L"127.0.0.1:5123, localhost");
    EXPECT_EQ(config().trackerUrl, "http://127.0.0.1:8443");
    std::vector<NtpServer> expected{{"127.0.0.1", "5123"}, {"localhost", "123"}};
    EXPECT_EQ(config().ntpServers, expected);

    loaded().save();
    EXPECT_EQ(get(L"Network", L"TrackerUrl"), L"http://127.0.0.1:8443//");
    EXPECT_EQ(get(L"Network", L"NtpServers"), L"127.0.0.1:5123, localhost");

    // A file the save makes never gains a value there (its header leaves the line commented).
    test::TempFolder other;
    SettingsStore freshStore(other.file(L"Marrowbell.ini"), L"");
    Settings(freshStore).save();
    wchar_t value[64] = {};
    ::GetPrivateProfileStringW(L"Network", L"TrackerUrl", L"<absent>", value, 64, freshStore.path().c_str());
    EXPECT_STREQ(value, L"<absent>");
}

TEST_F(SettingsFile, UnusableNetworkValuesKeepTheDefaults) {
    put(L"Network", L"TrackerUrl", L"ftp://127.0.0.1");
    put(L"Network", L"NtpServers", L"a,b,c,d,e");
    const StartupConfig c = config();
    EXPECT_EQ(c.trackerUrl, "https://tracker.marrowbell.example");
    EXPECT_TRUE(c.ntpServers.empty());

    EXPECT_EQ(c.trackerAddress(), TrackerAddress::Invalid) << "said so, not replaced silently";

    put(L"Network", L"TrackerUrl", L"https://h\u00e9st.example");  // not ASCII
    EXPECT_EQ(config().trackerUrl, "https://tracker.marrowbell.example");
    EXPECT_EQ(config().trackerAddress(), TrackerAddress::Invalid);
}

// A file held open without write sharing refuses every write, as one in a protected folder.
HANDLE lockAgainstWriting(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(SettingsFile, AUtf8MarkIsDroppedOnceSoTheFirstSectionIsRead) {
    const std::string rest = "[Network]\r\nTrackerUrl=http://127.0.0.1:8443\r\n[Window]\r\nLeft=7\r\n";
    writeBytes(path(), "\xEF\xBB\xBF" + rest);
    SettingsStore marked(path(), fallback());
    marked.prepare();  // what the application does first
    EXPECT_EQ(StartupConfig::read(marked.path()).trackerUrl, "http://127.0.0.1:8443");
    EXPECT_EQ(fileBytes(path()), rest);  // the mark gone, every other byte kept
    Settings s(marked);
    ASSERT_TRUE(s.load());
    EXPECT_EQ(s.left, 7);
    EXPECT_TRUE(s.save());
    EXPECT_EQ(fileBytes(path()).rfind("[Network]\r\n", 0), 0u);  // saving adds no mark back

    // A marked file that cannot be rewritten is read from a copy without the mark in the
    // fallback, which is the file in use from then on.
    writeBytes(path(), "\xEF\xBB\xBF" + rest);
    HANDLE lock = lockAgainstWriting(path());
    SettingsStore held(path(), fallback());
    held.prepare();
    ::CloseHandle(lock);
    EXPECT_EQ(StartupConfig::read(held.path()).trackerUrl, "http://127.0.0.1:8443");
    EXPECT_EQ(held.path(), fallback());
    EXPECT_EQ(fileBytes(fallback()), rest);
}

TEST_F(SettingsFile, FilesWithoutTheMarkAreNeverRewritten) {
    // A file the overlay wrote itself goes through a load and an unchanged save byte for byte.
    Settings own(store);
    own.lastBoss = "boss_a";
    ASSERT_TRUE(own.save());
    const std::string written = fileBytes(path());
    Settings again(store);
    ASSERT_TRUE(again.load());
    ASSERT_TRUE(again.save());
    EXPECT_EQ(fileBytes(path()), written);

    // Hand-written ASCII and UTF-16 files are read and left as they are.
    const std::string ascii = "; mine\n[Window]\nLeft = 9\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii) utf16 += {c, '\0'};
    for (const std::string& bytes : {ascii, utf16}) {
        writeBytes(path(), bytes);
        store.prepare();
        Settings s(store);
        ASSERT_TRUE(s.load());
        EXPECT_EQ(s.left, 9);
        EXPECT_EQ(fileBytes(path()), bytes);
    }
}

// Root ignores permission bits here, so the folder that cannot be written is on a read-only
// file system: under Wine, Z:\proc\self is /proc/self, where no file can be created.
TEST_F(SettingsFile, AFolderThatCannotBeWrittenSendsTheSettingsToTheFallback) {
    const std::wstring stuck = L"Z:\\proc\\self\\Marrowbell.ini";
    SettingsStore nowhere(stuck, L"");
    EXPECT_FALSE(Settings(nowhere).save());  // with nowhere else to go the failure shows
    SettingsStore moving(stuck, fallback());
    Settings s(moving);
    ASSERT_TRUE(s.load());
    s.setWindowRect(10, 20, 500, 600, 96);
    s.lastBoss = "boss_z";
    EXPECT_TRUE(s.save());
    EXPECT_EQ(moving.path(), fallback());

    // The next start finds no file beside the executable and reads the fallback.
    SettingsStore nextStore(SettingsStore::startupPath(stuck, fallback()), fallback());
    EXPECT_EQ(nextStore.path(), fallback());
    Settings next(nextStore);
    ASSERT_TRUE(next.load());
    EXPECT_EQ(recordOf(next), recordOf(s));
}

// A file that refuses writing itself (read-only, no permission) in a folder that can be written
// moves to the fallback as well; as root, Wine writes a read-only file all the same, so only the
// folder case above is shown here.
TEST_F(SettingsFile, AFileHeldOpenElsewhereStaysTheFileAndTheFileWrittenLastIsReadNext) {
    put(L"Window", L"Left", L"5");
    const std::string before = fileBytes(path());
    HANDLE lock = lockAgainstWriting(path());
    SettingsStore held(path(), fallback());
    Settings s(held);
    ASSERT_TRUE(s.load());
    s.setOpacity(40);
    EXPECT_FALSE(s.save());
    ::CloseHandle(lock);
    EXPECT_EQ(held.path(), path());
    EXPECT_EQ(fileBytes(path()), before);

    ::CreateDirectoryW(folder.file(L"Local").c_str(), nullptr);
    ::CreateDirectoryW(folder.file(L"Local\\Marrowbell").c_str(), nullptr);
    writeBytes(fallback(), "[Window]\r\nLeft=6\r\n");
    EXPECT_EQ(SettingsStore::startupPath(path(), fallback()), fallback());
    ::Sleep(20);
    EXPECT_TRUE(s.save());  // the next save writes the whole record
    EXPECT_EQ(SettingsStore::startupPath(path(), fallback()), path());
    EXPECT_EQ(loaded().opacity, 40);
}

TEST(SettingsPath, LivesNextToTheExecutable) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = SettingsStore::executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_EQ(std::wstring(exe).rfind(folder + L"\\", 0), 0u);
    EXPECT_EQ(SettingsStore().path(), folder + L"\\Marrowbell.ini");

    wchar_t local[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
    EXPECT_EQ(SettingsStore::localAppDataPath(), std::wstring(local) + L"\\Marrowbell\\Marrowbell.ini");
    EXPECT_EQ(SettingsStore().fallback(), SettingsStore::localAppDataPath());
}

}  // namespace
}  // namespace mb
