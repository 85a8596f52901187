// The boss list in pages. Collection servers answer one page of a default size (often 30)
// and say beside "items" which page it is and how many there are, so a longer list read in
// one request would silently lose its tail. The list is asked for in pages of 500 and the
// following pages are fetched while the answers say there are more, at most 20 in all.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/tracker_records.h"

namespace mb {

inline constexpr int kBossPageSize = 500;
inline constexpr int kMaxBossPages = 20;

// The paging members of one list answer. A member that is missing or not an integer is
// absent; an answer without "totalPages" is the whole list.
struct ListPaging {
    std::optional<int32_t> page;
    std::optional<int32_t> totalPages;
};

// Reads "page" and "totalPages" of an object root (values beyond 32 bits saturate).
ListPaging readListPaging(const nlohmann::json& root);

// "/api/collections/mobs/records?perPage=500", with "&page=N" from page 2 on.
std::string bossListPagePath(int page);

// The page to fetch after page `fetched`, or 0 when the list is complete: the answer names
// no later page, or the page limit is reached.
int nextBossPage(int fetched, const ListPaging& paging);

// The number of pages the fetch will read in all as the answer to page `fetched` tells it,
// for the texts that name a failed page.
int plannedBossPages(int fetched, const ListPaging& paging);

// Gets one endpoint path of the server into body; false for a network failure or an empty body.
using PageGetter = std::function<bool(const std::string& path, std::string& body)>;

// Fetches page 1 and every page after it, maps each answer like a single boss list and
// concatenates the bosses in page order. Any failed page fails the whole fetch: false, out
// empty (except after a caught exception, which keeps what had been added) and the text in
// error, naming the page from page 2 on ("... (page 2 of 3)"). True when at least one boss
// was read over all pages. Never throws.
bool fetchBossPages(const PageGetter& get, std::vector<Boss>& out, std::string& error) noexcept;

}  // namespace mb
