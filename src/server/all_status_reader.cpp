#include "server/all_status_reader.h"

#include <optional>

#include <nlohmann/json.hpp>

#include "server/report_fields.h"

namespace mb {
namespace {

using nlohmann::json;

constexpr char kStatusMember[] = "channel_status";

// The parser's events for one body. Where in the document it is decides what a value means;
// values nested where nothing is read are counted through (skipDepth_) and dropped.
class Reader final : public json::json_sax_t {
public:
    explicit Reader(AllStatusMap& out) : out_(out) {}
    bool statusMapRead() const { return rootIsObject_ && statusIsObject_; }

    bool null() override { return scalar(); }
    bool boolean(bool) override { return scalar(); }
    bool number_integer(number_integer_t value) override { return scalar(jsonNumber(value)); }
    bool number_unsigned(number_unsigned_t value) override { return scalar(jsonNumber(value)); }
    bool number_float(number_float_t value, const string_t&) override { return scalar(jsonNumber(value)); }
    bool string(string_t& value) override {
        if (skipDepth_ == 0 && level_ == Level::Report) {
            resetField();
            if (field_) setReportText(*field_, report_, std::move(value));
            return true;
        }
        return scalar();
    }
    bool binary(binary_t&) override { return scalar(); }

    bool start_object(std::size_t) override {
        if (skipDepth_ > 0) return enterSkipped();
        switch (level_) {
        case Level::Outside:
            rootIsObject_ = true;
            level_ = Level::Root;
            return true;
        case Level::Root:
            if (!rootKeyIsStatus_) return enterSkipped();
            statusIsObject_ = true;
            out_.clear();  // a later "channel_status" replaces an earlier one
            level_ = Level::Status;
            return true;
        case Level::Boss:
            report_ = ChannelStatus{};
            field_ = nullptr;
            level_ = Level::Report;
            return true;
        case Level::Report:
            resetField();
            return enterSkipped();
        case Level::Status:
            return enterSkipped();
        }
        return true;
    }
    bool end_object() override {
        if (skipDepth_ > 0) return leaveSkipped();
        switch (level_) {
        case Level::Report:
            completeReport(report_);
            reports_->push_back(std::move(report_));
            level_ = Level::Boss;
            break;
        case Level::Status:
            level_ = Level::Root;
            break;
        default:
            level_ = Level::Outside;
            break;
        }
        return true;
    }
    bool start_array(std::size_t) override {
        if (skipDepth_ > 0) return enterSkipped();
        switch (level_) {
        case Level::Root:
            if (rootKeyIsStatus_) markStatusNotObject();
            return enterSkipped();
        case Level::Status:
            reports_ = &out_[bossId_];
            level_ = Level::Boss;
            return true;
        case Level::Report:
            resetField();
            return enterSkipped();
        default:
            return enterSkipped();  // the root itself, or an array among the reports
        }
    }
    bool end_array() override {
        if (skipDepth_ > 0) return leaveSkipped();
        level_ = Level::Status;  // only a boss's array is entered
        return true;
    }
    bool key(string_t& name) override {
        if (skipDepth_ > 0) return true;
        switch (level_) {
        case Level::Root:
            rootKeyIsStatus_ = name == kStatusMember;
            break;
        case Level::Status:
            // A later member of the same id replaces this one, whatever it holds.
            out_.erase(name);
            bossId_ = std::move(name);
            break;
        case Level::Report:
            field_ = reportFieldNamed(name);
            break;
        default:
            break;
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    enum class Level { Outside, Root, Status, Boss, Report };

    // Any value but a string, an object or an array; number is empty for null and booleans.
    bool scalar(const std::optional<JsonNumber>& number = std::nullopt) {
        if (skipDepth_ > 0) return true;
        if (level_ == Level::Outside) rootIsObject_ = false;
        if (level_ == Level::Root && rootKeyIsStatus_) markStatusNotObject();
        if (level_ != Level::Report) return true;
        // The member's last occurrence decides, so each one first puts the default back.
        resetField();
        if (field_ && number) setReportNumber(*field_, report_, *number);
        return true;
    }
    void resetField() {
        if (field_) resetReportField(*field_, report_);
    }
    void markStatusNotObject() {
        statusIsObject_ = false;
        out_.clear();
    }
    bool enterSkipped() {
        ++skipDepth_;
        return true;
    }
    bool leaveSkipped() {
        --skipDepth_;
        return true;
    }

    AllStatusMap& out_;
    Level level_ = Level::Outside;
    uint64_t skipDepth_ = 0;
    bool rootIsObject_ = false;
    bool rootKeyIsStatus_ = false;
    bool statusIsObject_ = false;
    std::string bossId_;
    std::vector<ChannelStatus>* reports_ = nullptr;
    ChannelStatus report_;
    const ReportField* field_ = nullptr;  // the field of the member being read; null for one not read
};

}  // namespace

AllStatusShape readAllStatus(std::string_view body, AllStatusMap& out) {
    out.clear();
    Reader reader(out);
    const bool parsed = json::sax_parse(body.data(), body.data() + body.size(), &reader, json::input_format_t::json,
                                        /*strict=*/true, /*ignore_comments=*/false);
    if (parsed && reader.statusMapRead()) return AllStatusShape::Read;
    out.clear();
    return parsed ? AllStatusShape::NoStatusMap : AllStatusShape::NotJson;
}

}  // namespace mb
