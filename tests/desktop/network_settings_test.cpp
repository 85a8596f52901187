#include "desktop/network_settings.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(emptyListText(TrackerAddress::Placeholder), L"Set your tracker in Marrowbell.ini");
    EXPECT_EQ(emptyListText(TrackerAddress::Invalid), L"Tracker address invalid: see Marrowbell.ini");
}

TEST(TrackerUrl, DropsTrailingSlashesAndNormalisesTheScheme) {
    EXPECT_EQ(parseTrackerUrl("https://host/"), "https://host");
    EXPECT_EQ(parseTrackerUrl("https://host/api///"), "https://host/api");
    EXPECT_EQ(parseTrackerUrl("HTTPS://Host.Example"), "https://Host.Example");
    EXPECT_EQ(parseTrackerUrl("  http://host  "), "http://host");
}

TEST(TrackerUrl, RejectsEverythingElse) {
    for (const char* bad : {"",
                            "tracker.example.org",
                            "ftp://host",
                            "https://",
                            "https:///path",
                            "https://:80",
                            "https://host:",
                            "https://host:0",
                            "https://host:65536",
                            "https://host:12x",
                            "https://user@host",
                            "https://host/a b",
                            "https://host/?q=1",
                            "https://host#x",
                            "https://ho st",
                            "https://-host",
                            "https://host..example",
                            "https://host\\x",
                            "https://[zz::1]",
                            "http//host",
                            "https:/host"}) {
        EXPECT_FALSE(parseTrackerUrl(bad).has_value()) << bad;
    }
}

TEST(NtpServers, ReadsHostsWithOptionalPorts) {
    auto servers = parseNtpServers("127.0.0.1:5123, time.example.org ,pool.example:123");
    ASSERT_TRUE(servers.has_value());
    std::vector<NtpServerAddress> expected{{"127.0.0.1", "5123"}, {"time.example.org", "123"}, {"pool.example", "123"}};
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
