#include "server/api_mapping.h"

#include "server/all_status_reader.h"
#include "server/fetch_guard.h"
#include "server/json_fields.h"
#include "server/report_fields.h"

namespace mb {
namespace {

using nlohmann::json;

constexpr char kBossesInvalidJson[] = "Invalid JSON response from server";
constexpr char kBossesBadShape[] = "Unexpected response format - missing items array";
constexpr char kAllStatusInvalidJson[] = "Invalid JSON response from server";
constexpr char kAllStatusBadShape[] = "Unexpected response format - missing channel_status object";
constexpr char kChannelInvalidJson[] = "Invalid JSON in channel status response";
constexpr char kChannelBadShape[] = "Missing items array in channel status response";

// The "items" array of a parsed list body, or null with error set to invalidJson for a body
// that is not JSON or to badShape for one whose root is no object with that array.
const json* itemsArray(const json& root, const char* invalidJson, const char* badShape, std::string& error) {
    if (root.is_discarded()) {
        error = invalidJson;
        return nullptr;
    }
    const auto it = root.find("items");  // end() for a root that is no object
    if (it == root.end() || !it->is_array()) {
        error = badShape;
        return nullptr;
    }
    return &*it;
}

Boss bossFrom(const json& object) {
    Boss boss;
    readString(object, "id", boss.id);
    readString(object, "name", boss.name);
    readInt32(object, "uid", boss.uid);
    readInt32(object, "respawn_time", boss.respawn_time);
    readString(object, "type", boss.type);
    return boss;
}

int32_t clampHealth(int32_t hp) { return hp < 0 ? 0 : (hp > 100 ? 100 : hp); }

}  // namespace

std::string percentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                                byte == '~';
        if (unreserved) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

std::string channelStatusPath(std::string_view bossId) {
    return "/api/collections/mob_channel_status/records?filter=(mob='" + percentEncode(bossId) +
           "')&perPage=500&sort=-last_update";
}

bool mapBossPage(std::string_view body, std::vector<Boss>& out, ListPaging& paging, std::string& error) {
    const json root = parseJsonBody(body);
    const json* items = itemsArray(root, kBossesInvalidJson, kBossesBadShape, error);
    if (!items) return false;
    for (const json& element : *items) {
        if (!element.is_object()) continue;
        Boss boss = bossFrom(element);
        if (!boss.id.empty() && !boss.name.empty()) out.push_back(std::move(boss));
    }
    paging = readListPaging(root);
    return true;
}

bool mapBosses(std::string_view body, std::vector<Boss>& out, std::string& error) noexcept {
    out.clear();
    return runGuarded(guard_texts::kBosses, error, [&] {
        ListPaging paging;
        if (!mapBossPage(body, out, paging, error)) return false;
        if (out.empty()) {
            error = kBossesNoneValid;
            return false;
        }
        return true;
    });
}

bool mapAllStatus(std::string_view body, AllStatusMap& out, std::string& error) noexcept {
    out.clear();
    return runGuarded(guard_texts::kAllStatus, error, [&] {
        // Every report object becomes one record, in array order: no clamping, no filtering.
        switch (readAllStatus(body, out)) {
        case AllStatusShape::Read:
            return true;
        case AllStatusShape::NotJson:
            error = kAllStatusInvalidJson;
            return false;
        case AllStatusShape::NoStatusMap:
            error = kAllStatusBadShape;
            return false;
        }
        return false;
    });
}

bool mapChannelStatus(std::string_view body, std::vector<ChannelStatus>& out, std::string& error) noexcept {
    out.clear();
    return runGuarded(guard_texts::kChannelStatus, error, [&] {
        const json root = parseJsonBody(body);
        const json* items = itemsArray(root, kChannelInvalidJson, kChannelBadShape, error);
        if (!items) return false;
        std::vector<ChannelStatus> reports;
        reports.reserve(items->size());
        for (const json& element : *items) {
            if (!element.is_object()) continue;
            ChannelStatus report = reportFrom(element);
            report.last_hp = clampHealth(report.last_hp);
            reports.push_back(std::move(report));
        }
        out = reduceChannelReports(reports);
        return true;
    });
}

bool replacesAtEqualTime(const ChannelStatus& kept, const ChannelStatus& later) {
    const bool bringsEtd = !(kept.etd > 0.0) && later.etd > 0.0;
    const bool bringsDps = !(kept.dps > 0.01) && later.dps > 0.01;
    return bringsEtd || bringsDps;
}

std::vector<ChannelStatus> reduceChannelReports(const std::vector<ChannelStatus>& reports) {
    std::map<int32_t, const ChannelStatus*> byChannel;
    for (const ChannelStatus& report : reports) {
        if (report.channel_number <= 0) continue;
        auto [it, inserted] = byChannel.try_emplace(report.channel_number, &report);
        if (inserted) continue;
        const ChannelStatus& kept = *it->second;
        if (report.last_update_time > kept.last_update_time ||
            (report.last_update_time == kept.last_update_time && replacesAtEqualTime(kept, report))) {
            it->second = &report;
        }
    }
    std::vector<ChannelStatus> reduced;
    reduced.reserve(byChannel.size());
    for (const auto& [channel, report] : byChannel) reduced.push_back(*report);
    return reduced;
}

}  // namespace mb
