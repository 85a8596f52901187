#include "server/boss_pages.h"

#include <gtest/gtest.h>

#include <map>
#include <new>

namespace mb {
namespace {

using nlohmann::json;

TEST(BossPages, PagingDecisions) {
    const struct {
        const char* body;
        std::optional<int32_t> page, totalPages;
    } members[] = {
        {R"({"items":[],"page":2,"perPage":30,"totalItems":45,"totalPages":3})", 2, 3},
        {R"({"items":[]})", std::nullopt, std::nullopt},
        {R"({"page":"2","totalPages":3.0})", std::nullopt, std::nullopt},  // integers only
        {R"({"page":-1,"totalPages":18446744073709551615})", -1, INT32_MAX},
        {R"([{"page":1,"totalPages":3}])", std::nullopt, std::nullopt},
    };
    for (const auto& c : members) {
        const ListPaging paging = readListPaging(json::parse(c.body));
        EXPECT_EQ(paging.page, c.page) << c.body;
        EXPECT_EQ(paging.totalPages, c.totalPages) << c.body;
    }
    const struct {
        int fetched;
        std::optional<int32_t> totalPages;
        int next, planned;
    } steps[] = {{1, std::nullopt, 0, 1}, {1, 1, 0, 1},    {1, -5, 0, 1},        {1, 2, 2, 2}, {2, 1, 0, 2},
                 {19, 25, 20, 20},        {20, 25, 0, 20}, {1, INT32_MAX, 2, 20}};
    for (const auto& c : steps) {
        const ListPaging paging{std::nullopt, c.totalPages};
        EXPECT_EQ(nextBossPage(c.fetched, paging), c.next) << c.fetched << " of " << c.totalPages.value_or(-99);
        EXPECT_EQ(plannedBossPages(c.fetched, paging), c.planned) << c.fetched;
    }
    EXPECT_EQ(bossListPagePath(1), "/api/collections/mobs/records?perPage=500");
    EXPECT_EQ(bossListPagePath(2), "/api/collections/mobs/records?perPage=500&page=2");
}

// Page `page` of `total`, holding `count` bosses named after it.
std::string bossPage(int page, int total, int count) {
    json items = json::array();
    for (int i = 0; i < count; ++i) {
        const std::string id = "p" + std::to_string(page) + "b" + std::to_string(i);
        items.push_back({{"id", id}, {"name", "Boss " + id}});
    }
    return json{{"page", page}, {"perPage", 2}, {"totalPages", total}, {"items", items}}.dump();
}

// Canned answers by page number; a page without one is a network failure.
struct FakeServer {
    std::map<int, std::string> pages;
    std::vector<std::string> asked;
    int throwOn = 0;

    bool fetch(std::vector<Boss>& out, std::string& error) {
        return fetchBossPages(
            [this](const std::string& path, std::string& body) {
                asked.push_back(path);
                for (const auto& [page, answer] : pages) {
                    if (path != bossListPagePath(page)) continue;
                    if (page == throwOn) throw std::bad_alloc();
                    body = answer;
                    return true;
                }
                return false;
            },
            out, error);
    }
};

FakeServer serverOf(int total, int perPage, int pages) {
    FakeServer server;
    for (int page = 1; page <= pages; ++page) server.pages[page] = bossPage(page, total, perPage);
    return server;
}

TEST(BossPages, FetchReadsEveryPageInOrderUpToTwenty) {
    FakeServer three = serverOf(3, 2, 3);
    three.pages[3] = bossPage(3, 3, 1);
    std::vector<Boss> out{Boss{"stale", "stale", 1, 1, "x"}};
    std::string error;
    ASSERT_TRUE(three.fetch(out, error)) << error;
    std::vector<std::string> ids;
    for (const Boss& boss : out) ids.push_back(boss.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"p1b0", "p1b1", "p2b0", "p2b1", "p3b0"}));
    EXPECT_EQ(three.asked, (std::vector<std::string>{bossListPagePath(1), bossListPagePath(2), bossListPagePath(3)}));

    FakeServer many = serverOf(50, 1, 25);
    ASSERT_TRUE(many.fetch(out, error));
    EXPECT_EQ(many.asked.size(), 20u);
    EXPECT_EQ(out.back().id, "p20b0");

    // No paging members, members of another type, or a single page (whatever it calls itself).
    for (const char* single :
         {R"({"items":[{"id":"a","name":"A"}]})", R"({"items":[{"id":"a","name":"A"}],"page":"1","totalPages":"3"})",
          R"({"items":[{"id":"a","name":"A"}],"page":0,"totalPages":1})"}) {
        FakeServer one;
        one.pages[1] = single;
        ASSERT_TRUE(one.fetch(out, error)) << single;
        EXPECT_EQ(one.asked.size(), 1u) << single;
    }

    // A page without a complete boss is no failure; only a list without any is.
    FakeServer sparse = serverOf(2, 0, 2);
    sparse.pages[2] = bossPage(2, 2, 1);
    EXPECT_TRUE(sparse.fetch(out, error));
    sparse.pages[2] = bossPage(2, 2, 0);
    EXPECT_FALSE(sparse.fetch(out, error));
    EXPECT_EQ(error, "No valid bosses found in response");
}

TEST(BossPages, AFailedPageFailsTheWholeFetchAndIsNamed) {
    const struct {
        int page;
        const char* body;  // null: no answer (a network failure)
        const char* error;
    } cases[] = {
        {2, nullptr, "Failed to fetch bosses - network error or empty response (page 2 of 3)"},
        {2, R"({"items":[)", "Invalid JSON response from server (page 2 of 3)"},
        {3, R"({"items":{}})", "Unexpected response format - missing items array (page 3 of 3)"},
        {1, nullptr, "Failed to fetch bosses - network error or empty response"},
        {2, R"({"page":1,"totalPages":3,"items":[]})", "Unexpected response format - asked for page 2, got page 1"},
    };
    for (const auto& c : cases) {
        FakeServer server = serverOf(3, 2, 3);
        if (c.body) {
            server.pages[c.page] = c.body;
        } else {
            server.pages.erase(c.page);
        }
        std::vector<Boss> out;
        std::string error;
        EXPECT_FALSE(server.fetch(out, error));
        EXPECT_TRUE(out.empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(server.asked.size(), static_cast<size_t>(c.page)) << "nothing after the failed page";
    }

    FakeServer throwing = serverOf(3, 2, 3);
    throwing.throwOn = 2;
    std::vector<Boss> out;
    std::string error;
    EXPECT_FALSE(throwing.fetch(out, error));
    EXPECT_EQ(error, "Unexpected error: std::bad_alloc (page 2 of 3)");
    EXPECT_EQ(out.size(), 2u) << "a caught exception keeps what had been added";
}

}  // namespace
}  // namespace mb
