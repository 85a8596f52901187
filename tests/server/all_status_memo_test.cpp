#include "server/all_status_memo.h"

#include <gtest/gtest.h>

#include <string>

namespace mb {
namespace {

TEST(AllStatusMemo, ABodyThatCameTwiceIsNotParsedAgainAndGivesTheSameReports) {
    const std::string one = R"({"channel_status":{"b1":[{"channel_number":3,"last_hp":50}]}})";
    const std::string two = R"({"channel_status":{"b1":[{"channel_number":3,"last_hp":49}]}})";
    const struct {
        std::string body;
        bool ok;
        size_t parses;  // after this body
    } cases[] = {{one, true, 1},  {one, true, 2},  {one, true, 2},  {two, true, 3}, {one, true, 4},
                 {"{", false, 5}, {"{", false, 6}, {"{", false, 7}, {one, true, 8}};
    AllStatusMemo memo;
    AllStatusMap first;
    std::string error;
    ASSERT_TRUE(mapAllStatus(one, first, error));
    for (const auto& c : cases) {
        AllStatusMap out;
        EXPECT_EQ(memo.map(c.body, out, error), c.ok) << c.body;
        EXPECT_EQ(memo.parses(), c.parses) << c.body;
        EXPECT_TRUE(c.body != one || out == first) << "the remembered reports are those of the body";
    }
}

}  // namespace
}  // namespace mb
