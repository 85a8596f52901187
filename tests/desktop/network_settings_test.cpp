#include "desktop/network_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace mb {
namespace {

TEST(TrackerUrl, AcceptsHttpAndHttpsBaseUrls) {
    EXPECT_EQ(parseTrackerUrl("https://tracker.example.org"), "https://tracker.example.org");
    EXPECT_EQ(parseTrackerUrl("http://127.0.0.1:8080"), "http://127.0.0.1:8080");
    EXPECT_EQ(parseTrackerUrl("https://localhost:9443/base/path"), "https://localhost:9443/base/path");
    EXPECT_EQ(parseTrackerUrl("https://[::1]:443"), "https://[::1]:443");
}

TEST(TrackerUrl, TheBuiltInAddressIsUsableAndTheEmptyListSaysWhatToDo) {
    // A build for a community's own tracker (MB_TRACKER_URL) must give an address that works.
    EXPECT_EQ(parseTrackerUrl(kDefaultTrackerUrl), std::string(kDefaultTrackerUrl));
    EXPECT_EQ(emptyListText(TrackerAddress::Usable), L"Unknown");
    EXPECT_EQ(emptyListText(TrackerAddress::Placeholder), L"Click here to set your tracker");
    EXPECT_EQ(emptyListText(TrackerAddress::Invalid), L"Tracker address invalid: click here to fix it");
}

TEST(TrackerUrl, DropsTrailingSlashesAndNormalisesTheScheme) {
    EXPECT_EQ(parseTrackerUrl("https://host/"), "https://host");
    EXPECT_EQ(parseTrackerUrl("https://host/api///"), "https://host/api");
    EXPECT_EQ(parseTrackerUrl("HTTPS://Host.Example"), "https://Host.Example");
    EXPECT_EQ(parseTrackerUrl("  http://host  "), "http://host");
}

// Everything else is refused with the one line that says what to change.
TEST(TrackerUrl, RejectsEverythingElseSayingWhatToChange) {
    const std::string scheme = "Use an address that starts with https:// or http://";
    const std::string name = "Put the server's name after the \"//\"";
    const std::string port = "After \":\" comes the port: a number from 1 to 65535";
    const std::string letters = "The server's name may hold only letters, digits, dots and hyphens";
    const std::string path = "Leave blanks, backslashes and letters with accents out of the address";
    const std::pair<const char*, std::string> cases[] = {
        {"", scheme},
        {"tracker.example.org", scheme},
        {"ftp://host", scheme},
        {"https://", name},
        {"https:///path", name},
        {"https://:80", name},
        {"https://host:", port},
        {"https://host:0", port},
        {"https://host:65536", port},
        {"https://host:12x", port},
        {"https://user@host", letters},
        {"https://host/a b", path},
        {"https://host/?q=1", "Leave out the \"?\" and what follows it"},
        {"https://host#x", "Leave out the \"#\" and what follows it"},
        {"https://ho st", letters},
        {"https://-host", letters},
        {"https://host..example", letters},
        {"https://host\\x", letters},
        {"https://[zz::1]", letters},
        {"http//host", scheme},
        {"https:/host", scheme},
    };
    for (const auto& [bad, why] : cases) {
        EXPECT_FALSE(parseTrackerUrl(bad).has_value()) << bad;
        EXPECT_EQ(checkTrackerUrl(bad).problem, why) << bad;
    }
}

TEST(NtpServers, ReadsHostsWithOptionalPorts) {
    auto servers = parseNtpServers("127.0.0.1:5123, time.example.org ,pool.example:123");
    ASSERT_TRUE(servers.has_value());
    std::vector<NtpServer> expected{{"127.0.0.1", "5123"}, {"time.example.org", "123"}, {"pool.example", "123"}};
    EXPECT_EQ(*servers, expected);
}

TEST(NtpServers, TakesAtMostFourAndNoBadEntry) {
    EXPECT_EQ(parseNtpServers("a,b,c,d")->size(), 4u);
    for (const char* bad : {"", "   ", "a,b,c,d,e", "a,,b", "a,", ",a", "host:0", "host:70000", "host:", "host:1:2",
                            "bad_host", "[::1]:123", "a b"}) {
        EXPECT_FALSE(parseNtpServers(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace mb
