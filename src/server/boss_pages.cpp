#include "server/boss_pages.h"

#include <algorithm>

#include "server/api_mapping.h"
#include "server/fetch_guard.h"
#include "server/json_fields.h"

namespace mb {
namespace {

// Only integers count: a page number of 2.0 or "2" is a server this client does not page.
std::optional<int32_t> integerMember(const nlohmann::json& root, const char* key) {
    const auto it = root.find(key);
    if (it == root.end() || !it->is_number_integer()) return std::nullopt;
    return jsonNumberToInt32(*it);
}

// " (page 2 of 3)" after the text; the text stays as it was when memory runs out.
void namePage(std::string& error, int page, int planned) noexcept {
    try {
        error += " (page " + std::to_string(page) + " of " + std::to_string(planned) + ")";
    } catch (...) {}
}

void wrongPageText(std::string& error, int asked, int got) noexcept {
    try {
        error = "Unexpected response format - asked for page " + std::to_string(asked) + ", got page " +
                std::to_string(got);
    } catch (...) {
        error.clear();
    }
}

}  // namespace

ListPaging readListPaging(const nlohmann::json& root) {
    ListPaging paging;
    if (!root.is_object()) return paging;
    paging.page = integerMember(root, "page");
    paging.totalPages = integerMember(root, "totalPages");
    return paging;
}

std::string bossListPagePath(int page) {
    std::string path = std::string(kBossesPath) + "?perPage=" + std::to_string(kBossPageSize);
    if (page > 1) path += "&page=" + std::to_string(page);
    return path;
}

int nextBossPage(int fetched, const ListPaging& paging) {
    if (!paging.totalPages || *paging.totalPages <= fetched || fetched >= kMaxBossPages) return 0;
    return fetched + 1;
}

int plannedBossPages(int fetched, const ListPaging& paging) {
    if (!paging.totalPages) return fetched;
    return std::clamp(*paging.totalPages, fetched, kMaxBossPages);
}

bool fetchBossPages(const PageGetter& get, std::vector<Boss>& out, std::string& error) noexcept {
    out.clear();
    int planned = 1;
    for (int page = 1; page != 0;) {
        ListPaging paging;
        bool threw = true;
        const bool ok = runGuarded(guard_texts::kBosses, error, [&] {
            std::string body;
            bool mapped = false;
            if (!get(bossListPagePath(page), body)) {
                error = kBossesNetworkError;
            } else {
                mapped = mapBossPage(body, out, paging, error);
            }
            threw = false;
            return mapped;
        });
        // A server that ignores the page query answers page 1 again: its bosses would repeat.
        // The first answer is read as a single list always was, whatever it calls itself.
        const bool wrongPage = ok && page > 1 && paging.page && *paging.page != page;
        if (!ok || wrongPage) {
            if (wrongPage) {
                wrongPageText(error, page, *paging.page);
            } else if (page > 1) {
                namePage(error, page, planned);
            }
            if (!threw) out.clear();  // a caught exception keeps what had been added
            return false;
        }
        planned = std::max(planned, plannedBossPages(page, paging));
        page = nextBossPage(page, paging);
    }
    if (out.empty()) {
        detail::setGuardText(error, kBossesNoneValid, nullptr);
        return false;
    }
    return true;
}

}  // namespace mb
