// The members of a channel report that are read, each with the record member it fills: the one
// table that both the document mapping (reportFrom) and the streaming all-status reader go
// through, so that a new member of the server's reports is one line of kReportFields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include <nlohmann/json.hpp>

#include "core/tracker_records.h"
#include "server/json_fields.h"

namespace mb {

// The record member's type is the kind of JSON value the field takes: int32_t (cut toward zero,
// saturating) and double take any number, std::string takes a string. A member that is missing,
// null or of another type leaves the record's default.
using ReportMember = std::variant<int32_t ChannelStatus::*, double ChannelStatus::*, std::string ChannelStatus::*>;

struct ReportField {
    std::string_view name;
    ReportMember member;
};

inline constexpr ReportField kReportFields[] = {
    {"channel_number", &ChannelStatus::channel_number},
    {"last_hp", &ChannelStatus::last_hp},
    {"last_update", &ChannelStatus::last_update},
    {"death_time_estimate", &ChannelStatus::death_time_estimate},
    {"dps", &ChannelStatus::dps},
    {"etd", &ChannelStatus::etd},
};

// The field of that member name; null for a member that is not read.
const ReportField* reportFieldNamed(std::string_view name);

// One value for a field. A value of a kind the field does not take changes nothing, so a
// reader that meets a name more than once puts the default back first (resetReportField):
// the last member of a name counts, as in a document.
void setReportNumber(const ReportField& field, ChannelStatus& report, const JsonNumber& number);
void setReportText(const ReportField& field, ChannelStatus& report, std::string text);
void resetReportField(const ReportField& field, ChannelStatus& report);

// What follows from the members once all are read: last_update_time from a non-empty last_update.
void completeReport(ChannelStatus& report);

// The report that a report object of a parsed document gives.
ChannelStatus reportFrom(const nlohmann::json& object);

}  // namespace mb
