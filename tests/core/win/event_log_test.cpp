// Marrowbell.log on disk: lines appended as UTF-8 with CRLF, and the file renamed to
// Marrowbell.log.1 when the next line would take it past 256 KiB.
#include "core/win/event_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/win/temp_folder.h"

namespace mb {
namespace {

std::string bytesOf(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(EventLog, ALogAt256KiBBecomesTheOlderFileAndANewOneStarts) {
    test::TempFolder folder;
    const std::wstring path = EventLog::besideSettings(folder.file(L"Marrowbell.ini"));
    EXPECT_EQ(path, folder.file(L"Marrowbell.log"));
    const std::string full(EventLog::kRotateBytes - 10, 'x');
    std::ofstream(std::filesystem::path(path), std::ios::binary) << full;

    EventLog log(path);
    log.write("Connected \xE2\x97\x8F");
    log.fold("poll", "Connected");
    log.fold("poll", "Connected");
    EXPECT_EQ(bytesOf(path + L".1"), full);
    const std::string fresh = bytesOf(path);
    EXPECT_EQ(fresh.size(), 2 * 24 + std::string(" Connected \xE2\x97\x8F\r\n Connected\r\n").size()) << fresh;
    EXPECT_NE(fresh.find("Z Connected \xE2\x97\x8F\r\n"), std::string::npos);
}

}  // namespace
}  // namespace mb
