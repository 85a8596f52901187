#include "server/api_mapping.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "server/fetch_guard.h"

namespace mb {
namespace {

constexpr int64_t kMay1 = 1714566896;  // 2024-05-01 12:34:56 UTC

std::vector<Boss> bossesOf(const std::string& body, bool expectOk = true, std::string* errorOut = nullptr) {
    std::vector<Boss> out{Boss{"stale", "stale", 1, 1, "x"}};
    std::string error;
    EXPECT_EQ(mapBosses(body, out, error), expectOk) << error;
    if (errorOut) *errorOut = error;
    return out;
}

std::string bossesError(const std::string& body) {
    std::string error;
    const auto out = bossesOf(body, false, &error);
    EXPECT_TRUE(out.empty());
    return error;
}

TEST(MapBosses, ReadsEveryMemberOfTheTable) {
    const auto bosses = bossesOf(R"({"items":[
        {"id":"b1","name":"Gorath","uid":7,"respawn_time":30,"type":"boss","extra":1},
        {"id":"b2","name":"赤龍王"}]})");
    ASSERT_EQ(bosses.size(), 2u);
    EXPECT_EQ(bosses[0].id, "b1");
    EXPECT_EQ(bosses[0].name, "Gorath");
    EXPECT_EQ(bosses[0].uid, 7);
    EXPECT_EQ(bosses[0].respawn_time, 30);
    EXPECT_EQ(bosses[0].type, "boss");
    EXPECT_EQ(bosses[1].name, "赤龍王");  // UTF-8 kept as is
    EXPECT_EQ(bosses[1].uid, 0);
    EXPECT_EQ(bosses[1].respawn_time, 0);
    EXPECT_EQ(bosses[1].type, "");
}

TEST(MapBosses, WrongTypesLeaveDefaults) {
    const auto bosses = bossesOf(R"({"items":[
        {"id":"a","name":"A","uid":12.9,"respawn_time":true,"type":5},
        {"id":"b","name":"B","uid":"12","respawn_time":null,"type":null},
        {"id":"c","name":"C","uid":-12.9,"respawn_time":30.5},
        {"id":"d","name":"D","uid":1e20,"respawn_time":-1e20},
        {"id":"e","name":"E","uid":18446744073709551615,"respawn_time":-9223372036854775808}]})");
    ASSERT_EQ(bosses.size(), 5u);
    EXPECT_EQ(bosses[0].uid, 12);
    EXPECT_EQ(bosses[0].respawn_time, 0);
    EXPECT_EQ(bosses[0].type, "");
    EXPECT_EQ(bosses[1].uid, 0);  // digits in a string are not a number
    EXPECT_EQ(bosses[1].respawn_time, 0);
    EXPECT_EQ(bosses[2].uid, -12);  // cut toward zero
    EXPECT_EQ(bosses[2].respawn_time, 30);
    // Beyond 32 bits the value saturates instead of overflowing.
    EXPECT_EQ(bosses[3].uid, INT32_MAX);
    EXPECT_EQ(bosses[3].respawn_time, INT32_MIN);
    EXPECT_EQ(bosses[4].uid, INT32_MAX);
    EXPECT_EQ(bosses[4].respawn_time, INT32_MIN);
}

TEST(MapBosses, SkipsElementsWithoutIdAndNameKeepingServerOrder) {
    const auto bosses = bossesOf(R"({"items":[5,"x",null,[],{"id":3,"name":"N"},{"id":"z","name":""},
        {"name":"no id"},{"id":"only id"},{"id":"z2","name":"Z"},{"id":"a2","name":"A"}]})");
    ASSERT_EQ(bosses.size(), 2u);
    EXPECT_EQ(bosses[0].id, "z2");
    EXPECT_EQ(bosses[1].id, "a2");
}

TEST(MapBosses, ErrorTexts) {
    EXPECT_EQ(bossesError("{"), "Invalid JSON response from server");
    EXPECT_EQ(bossesError(""), "Invalid JSON response from server");
    EXPECT_EQ(bossesError(R"({"items":[],})"), "Invalid JSON response from server");        // trailing comma
    EXPECT_EQ(bossesError("/* c */ {\"items\":[]}"), "Invalid JSON response from server");  // comment
    EXPECT_EQ(bossesError("[]"), "Unexpected response format - missing items array");
    EXPECT_EQ(bossesError("{}"), "Unexpected response format - missing items array");
    EXPECT_EQ(bossesError(R"({"items":{}})"), "Unexpected response format - missing items array");
    EXPECT_EQ(bossesError(R"({"Items":[]})"), "Unexpected response format - missing items array");
    EXPECT_EQ(bossesError(R"({"items":[]})"), "No valid bosses found in response");
    EXPECT_EQ(bossesError(R"({"items":[{"id":1,"name":"x"},{"id":"a","name":""}]})"),
              "No valid bosses found in response");
}

AllStatusMap allStatusOf(const std::string& body) {
    AllStatusMap out{{"stale", {ChannelStatus{}}}};
    std::string error;
    EXPECT_TRUE(mapAllStatus(body, out, error)) << error;
    return out;
}

std::string allStatusError(const std::string& body) {
    AllStatusMap out{{"stale", {ChannelStatus{}}}};
    std::string error;
    EXPECT_FALSE(mapAllStatus(body, out, error));
    EXPECT_TRUE(out.empty());
    return error;
}

TEST(MapAllStatus, ReadsEveryMemberOfTheReportTable) {
    const auto map = allStatusOf(R"({"channel_status":{"b1":[
        {"channel_number":3,"last_hp":55,"last_update":"2024-05-01 12:34:56.789Z",
         "death_time_estimate":"2024-05-01T12:40:00Z","dps":0.25,"etd":220,"mob":"b1"},
        {}]},"time":"x"})");
    ASSERT_EQ(map.size(), 1u);
    const auto& reports = map.at("b1");
    ASSERT_EQ(reports.size(), 2u);
    const ChannelStatus& r = reports[0];
    EXPECT_EQ(r.channel_number, 3);
    EXPECT_EQ(r.last_hp, 55);
    EXPECT_EQ(r.last_update, "2024-05-01 12:34:56.789Z");
    EXPECT_EQ(r.last_update_time, kMay1);
    EXPECT_EQ(r.death_time_estimate, "2024-05-01T12:40:00Z");
    EXPECT_DOUBLE_EQ(r.dps, 0.25);
    EXPECT_DOUBLE_EQ(r.etd, 220.0);
    const ChannelStatus& d = reports[1];  // every default
    EXPECT_EQ(d.channel_number, 0);
    EXPECT_EQ(d.last_hp, 0);
    EXPECT_EQ(d.last_update, "");
    EXPECT_EQ(d.last_update_time, 0);
    EXPECT_EQ(d.death_time_estimate, "");
    EXPECT_DOUBLE_EQ(d.dps, 0.0);
    EXPECT_DOUBLE_EQ(d.etd, -1.0);
}

TEST(MapAllStatus, WrongTypesLeaveDefaults) {
    const auto map = allStatusOf(R"({"channel_status":{"b":[
        {"channel_number":"3","last_hp":true,"last_update":5,"death_time_estimate":[],"dps":"1","etd":null},
        {"channel_number":4.7,"last_hp":150,"last_update":"2024-05-01T12:34:56Z","dps":2,"etd":-3},
        {"channel_number":-2,"last_hp":-5,"last_update":"soon"}]}})");
    const auto& reports = map.at("b");
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].channel_number, 0);
    EXPECT_EQ(reports[0].last_hp, 0);
    EXPECT_EQ(reports[0].last_update, "");
    EXPECT_EQ(reports[0].death_time_estimate, "");
    EXPECT_DOUBLE_EQ(reports[0].dps, 0.0);
    EXPECT_DOUBLE_EQ(reports[0].etd, -1.0);
    // No clamping and no channel filter here.
    EXPECT_EQ(reports[1].channel_number, 4);
    EXPECT_EQ(reports[1].last_hp, 150);
    EXPECT_EQ(reports[1].last_update_time, kMay1);
    EXPECT_DOUBLE_EQ(reports[1].dps, 2.0);
    EXPECT_DOUBLE_EQ(reports[1].etd, -3.0);
    EXPECT_EQ(reports[2].channel_number, -2);
    EXPECT_EQ(reports[2].last_hp, -5);
    EXPECT_EQ(reports[2].last_update, "soon");
    EXPECT_EQ(reports[2].last_update_time, 0);  // fewer than six numbers
}

TEST(MapAllStatus, MembersThatAreNotArraysGetNoEntry) {
    const auto map = allStatusOf(R"({"channel_status":{"z":[],"five":5,"a":[1,"x",{"channel_number":2},
        {"channel_number":2}],"n":null}})");
    ASSERT_EQ(map.size(), 2u);
    EXPECT_TRUE(map.at("z").empty());
    ASSERT_EQ(map.at("a").size(), 2u);   // duplicates stay, non-objects are skipped
    EXPECT_EQ(map.begin()->first, "a");  // byte-wise id order
    EXPECT_TRUE(allStatusOf(R"({"channel_status":{}})").empty());
}

TEST(MapAllStatus, TheLastMemberOfANameCounts) {
    const auto map = allStatusOf(R"({"channel_status":{"gone":[{}]},"channel_status":{"b":[{}],"x":[{}],"x":5,
        "b":[{"last_hp":5,"last_hp":"5","dps":[1],"etd":1,"etd":2,"last_update":"a","last_update":"b"}]}})");
    ASSERT_EQ(map.size(), 1u);
    ASSERT_EQ(map.at("b").size(), 1u);
    const ChannelStatus& r = map.at("b")[0];
    EXPECT_EQ(r.last_hp, 0);
    EXPECT_DOUBLE_EQ(r.dps, 0.0);
    EXPECT_DOUBLE_EQ(r.etd, 2.0);
    EXPECT_EQ(r.last_update, "b");
    EXPECT_EQ(allStatusError(R"({"channel_status":{"b":[]},"channel_status":7})"),
              "Unexpected response format - missing channel_status object");
}

TEST(MapAllStatus, ErrorTexts) {
    EXPECT_EQ(allStatusError("nope"), "Invalid JSON response from server");
    EXPECT_EQ(allStatusError(R"({"channel_status":{},})"), "Invalid JSON response from server");
    EXPECT_EQ(allStatusError("[1]"), "Unexpected response format - missing channel_status object");
    EXPECT_EQ(allStatusError("{}"), "Unexpected response format - missing channel_status object");
    EXPECT_EQ(allStatusError(R"({"channel_status":[]})"), "Unexpected response format - missing channel_status object");
    EXPECT_EQ(allStatusError(R"({"channel_status":null})"),
              "Unexpected response format - missing channel_status object");
}

std::vector<ChannelStatus> channelsOf(const std::string& items) {
    std::vector<ChannelStatus> out{ChannelStatus{}};
    std::string error;
    EXPECT_TRUE(mapChannelStatus(R"({"page":1,"items":)" + items + "}", out, error)) << error;
    return out;
}

std::string channelError(const std::string& body) {
    std::vector<ChannelStatus> out{ChannelStatus{}};
    std::string error;
    EXPECT_FALSE(mapChannelStatus(body, out, error));
    EXPECT_TRUE(out.empty());
    return error;
}

TEST(MapChannelStatus, ClampsHealthAndDropsChannelsBelowOne) {
    const auto list = channelsOf(R"([
        {"channel_number":5,"last_hp":150,"last_update":"2024-05-01T12:34:56Z"},
        {"channel_number":2,"last_hp":-5},
        {"channel_number":0,"last_hp":50},
        {"channel_number":-1,"last_hp":50},
        {"last_hp":50},
        "junk",
        {"channel_number":1,"last_hp":100,"dps":0.5,"etd":200,"death_time_estimate":"t"}])");
    ASSERT_EQ(list.size(), 3u);  // ascending channel order
    EXPECT_EQ(list[0].channel_number, 1);
    EXPECT_EQ(list[0].last_hp, 100);
    EXPECT_EQ(list[0].death_time_estimate, "t");
    EXPECT_EQ(list[1].channel_number, 2);
    EXPECT_EQ(list[1].last_hp, 0);
    EXPECT_EQ(list[2].channel_number, 5);
    EXPECT_EQ(list[2].last_hp, 100);
    EXPECT_EQ(list[2].last_update_time, kMay1);
    EXPECT_TRUE(channelsOf("[]").empty());
}

TEST(MapChannelStatus, NewestReportOfAChannelWins) {
    const auto list = channelsOf(R"([
        {"channel_number":3,"last_hp":40,"last_update":"2024-05-01T12:34:56Z"},
        {"channel_number":3,"last_hp":60,"last_update":"2024-05-01T12:34:57Z"},
        {"channel_number":3,"last_hp":70,"last_update":"2024-05-01T12:30:00Z"},
        {"channel_number":4,"last_hp":10,"last_update":"2024-05-01T12:00:00Z"},
        {"channel_number":4,"last_hp":20}])");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].last_hp, 60);
    EXPECT_EQ(list[1].last_hp, 10);  // a report without a time is older than any
}

TEST(MapChannelStatus, EqualTimesPreferKnownEtdOrRate) {
    const std::string t = R"("last_update":"2024-05-01T12:34:56Z")";
    auto winner = [&](const std::string& first, const std::string& second) {
        const auto list = channelsOf("[{\"channel_number\":3,\"last_hp\":1," + t + "," + first +
                                     "},{\"channel_number\":3,\"last_hp\":2," + t + "," + second + "}]");
        EXPECT_EQ(list.size(), 1u);
        return list.empty() ? 0 : list[0].last_hp;
    };
    EXPECT_EQ(winner(R"("etd":-1)", R"("etd":120)"), 2);
    EXPECT_EQ(winner(R"("etd":120,"dps":0)", R"("etd":120,"dps":5.5)"), 2);
    EXPECT_EQ(winner(R"("etd":120,"dps":5.5)", R"("etd":120,"dps":5.5)"), 1);
    EXPECT_EQ(winner(R"("etd":120,"dps":5.5)", R"("etd":300,"dps":9)"), 1);
    EXPECT_EQ(winner(R"("etd":0,"dps":0.01)", R"("etd":0,"dps":0.01)"), 1);  // 0.01 is not a rate
    EXPECT_EQ(winner(R"("etd":0,"dps":0.01)", R"("etd":0,"dps":0.011)"), 2);
    EXPECT_EQ(winner(R"("etd":5)", R"("etd":-1,"dps":1)"), 2);  // the rate alone is enough
}

TEST(MapChannelStatus, ErrorTexts) {
    EXPECT_EQ(channelError("<html>"), "Invalid JSON in channel status response");
    EXPECT_EQ(channelError("\"items\""), "Missing items array in channel status response");
    EXPECT_EQ(channelError(R"({"items":{"a":1}})"), "Missing items array in channel status response");
    EXPECT_EQ(channelError(R"({"item":[]})"), "Missing items array in channel status response");
}

TEST(ChannelStatusPath, AsksForFiveHundredNewestRecordsOfOneBoss) {
    EXPECT_EQ(channelStatusPath("abc123xyz"),
              "/api/collections/mob_channel_status/records?filter=(mob='abc123xyz')&perPage=500&sort=-last_update");
}

TEST(ChannelStatusPath, IdBytesOutsideTheUnreservedSetArePercentEncoded) {
    EXPECT_EQ(percentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(percentEncode("a&b#c%d e'f\"g"), "a%26b%23c%25d%20e%27f%22g");
    EXPECT_EQ(percentEncode("é/?="), "%C3%A9%2F%3F%3D");
    EXPECT_EQ(percentEncode(std::string("\0\xff", 2)), "%00%FF");
    EXPECT_EQ(
        channelStatusPath("x&perPage=1"),
        "/api/collections/mob_channel_status/records?filter=(mob='x%26perPage%3D1')&perPage=500&sort=-last_update");
}

TEST(FetchGuard, EachKindOfThrowGetsItsText) {
    using nlohmann::json;
    std::string error;
    EXPECT_FALSE(runGuarded(guard_texts::kBosses, error, [] { return json::parse("{").is_null(); }));
    EXPECT_EQ(error.rfind("JSON parse error: [json.exception.parse_error.101]", 0), 0u) << error;
    EXPECT_FALSE(runGuarded(guard_texts::kChannelStatus, error, [] { return json(5).get<std::string>().empty(); }));
    EXPECT_EQ(error.rfind("JSON type error in channel status: [json.exception.type_error.302]", 0), 0u) << error;
    EXPECT_FALSE(runGuarded(guard_texts::kAllStatus, error, [] { return json::array().at(3).is_null(); }));
    EXPECT_EQ(error.rfind("Unexpected error: [json.exception.out_of_range.401]", 0), 0u) << error;
    EXPECT_FALSE(runGuarded(guard_texts::kProbe, error, [] { return json::array().at(3).is_null(); }));
    EXPECT_EQ(error.rfind("JSON out of range: [json.exception.out_of_range.401]", 0), 0u) << error;
    EXPECT_FALSE(runGuarded(guard_texts::kChannelStatus, error, []() -> bool { throw std::bad_alloc(); }));
    EXPECT_EQ(error, "Unexpected error in channel status: std::bad_alloc");
    EXPECT_FALSE(runGuarded(guard_texts::kBosses, error, []() -> bool { throw 42; }));
    EXPECT_EQ(error, "Unknown error during boss fetch");
    EXPECT_FALSE(runGuarded(guard_texts::kAllStatus, error, []() -> bool { throw "text"; }));
    EXPECT_EQ(error, "Unknown error during all status fetch");
    EXPECT_FALSE(runGuarded(guard_texts::kChannelStatus, error, []() -> bool { throw 1.5; }));
    EXPECT_EQ(error, "Unknown error during channel status fetch");
    EXPECT_FALSE(runGuarded(guard_texts::kProbe, error, []() -> bool { throw 'c'; }));
    EXPECT_EQ(error, "Unknown exception during JSON parsing");
    EXPECT_TRUE(runGuarded(guard_texts::kProbe, error, [] { return true; }));
}

}  // namespace
}  // namespace mb
