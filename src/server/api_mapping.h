// The tracker server's JSON answers turned into records, with the texts that describe a
// malformed answer. ApiClient adds the transport and the counters around these.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/tracker_records.h"
#include "server/boss_pages.h"

namespace mb {

// Boss id (byte-wise order) to that boss's channel reports, as the all-status call gives them.
using AllStatusMap = std::map<std::string, std::vector<ChannelStatus>>;

inline constexpr char kBossesPath[] = "/api/collections/mobs/records";
inline constexpr char kAllStatusPath[] = "/api/all_status";

inline constexpr char kBossesNetworkError[] = "Failed to fetch bosses - network error or empty response";
inline constexpr char kBossesNoneValid[] = "No valid bosses found in response";

// The channel-status endpoint of one boss: at most 500 records, newest first. The id is
// percent-encoded, so ids holding "&", "#", "%", quotes or blanks cannot change the query.
std::string channelStatusPath(std::string_view bossId);

// Every byte outside A-Z, a-z, 0-9 and "-._~" as "%XX" (upper-case hex).
std::string percentEncode(std::string_view bytes);

// Each mapping clears out, fills it from the body and returns true, or returns false with
// the operation's text in error. After a false return out is empty, except after a caught
// exception, when it keeps what had been added. None of them throws.
bool mapBosses(std::string_view body, std::vector<Boss>& out, std::string& error) noexcept;
// One page of the boss list: appends its complete bosses to out and reads its paging. False
// with the text in error for a body that is not JSON or has no "items" array; a page without
// a complete boss is no failure here (the whole list is judged once all pages are read).
// May throw the JSON library's and the allocator's exceptions.
bool mapBossPage(std::string_view body, std::vector<Boss>& out, ListPaging& paging, std::string& error);
bool mapAllStatus(std::string_view body, AllStatusMap& out, std::string& error) noexcept;
// Clamps health to 0..100 and keeps one report per channel (see reduceChannelReports).
bool mapChannelStatus(std::string_view body, std::vector<ChannelStatus>& out, std::string& error) noexcept;

// One report per positive channel number, in ascending channel order: the newest report
// wins; at an equal time a later report wins only when it brings a known etd (> 0) or a
// real rate (dps > 0.01) that the kept one lacks.
std::vector<ChannelStatus> reduceChannelReports(const std::vector<ChannelStatus>& reports);

// Whether a later report of the same channel and time replaces the kept one.
bool replacesAtEqualTime(const ChannelStatus& kept, const ChannelStatus& later);

}  // namespace mb
