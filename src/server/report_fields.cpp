#include "server/report_fields.h"

#include <utility>

#include "core/server_time.h"
#include "server/json_fields.h"

namespace mb {

using nlohmann::json;

const ReportField* reportFieldNamed(std::string_view name) {
    for (const ReportField& field : kReportFields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

void setReportNumber(const ReportField& field, ChannelStatus& report, const JsonNumber& number) {
    if (const auto* member = std::get_if<int32_t ChannelStatus::*>(&field.member)) report.** member = number.whole;
    if (const auto* member = std::get_if<double ChannelStatus::*>(&field.member)) report.** member = number.value;
}

void setReportText(const ReportField& field, ChannelStatus& report, std::string text) {
    if (const auto* member = std::get_if<std::string ChannelStatus::*>(&field.member)) {
        report.** member = std::move(text);
    }
}

void resetReportField(const ReportField& field, ChannelStatus& report) {
    static const ChannelStatus kDefaults;
    std::visit([&report](auto member) { report.*member = kDefaults.*member; }, field.member);
}

void completeReport(ChannelStatus& report) {
    if (!report.last_update.empty()) report.last_update_time = ParseServerTime(report.last_update);
}

ChannelStatus reportFrom(const json& object) {
    ChannelStatus report;
    for (const ReportField& field : kReportFields) {
        const auto it = object.find(field.name);
        if (it == object.end()) continue;
        if (it->is_number()) setReportNumber(field, report, jsonNumberOf(*it));
        if (it->is_string()) setReportText(field, report, it->get_ref<const std::string&>());
    }
    completeReport(report);
    return report;
}

}  // namespace mb
