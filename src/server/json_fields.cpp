#include "server/json_fields.h"

#include <cmath>
#include <limits>

namespace mb {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

const nlohmann::json* member(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

int32_t int32FromInteger(int64_t value) {
    if (value < kMin) return kMin;
    if (value > kMax) return kMax;
    return static_cast<int32_t>(value);
}

int32_t int32FromUnsigned(uint64_t value) {
    return value > static_cast<uint64_t>(kMax) ? kMax : static_cast<int32_t>(value);
}

int32_t int32FromFloat(double value) {
    const double d = std::trunc(value);
    if (std::isnan(d)) return 0;
    if (d <= static_cast<double>(kMin)) return kMin;
    if (d >= static_cast<double>(kMax)) return kMax;
    return static_cast<int32_t>(d);
}

}  // namespace

JsonNumber jsonNumber(int64_t value) { return {int32FromInteger(value), static_cast<double>(value)}; }
JsonNumber jsonNumber(uint64_t value) { return {int32FromUnsigned(value), static_cast<double>(value)}; }
JsonNumber jsonNumber(double value) { return {int32FromFloat(value), value}; }

JsonNumber jsonNumberOf(const nlohmann::json& number) {
    using json = nlohmann::json;
    if (number.is_number_unsigned()) return jsonNumber(number.get_ref<const json::number_unsigned_t&>());
    if (number.is_number_integer()) return jsonNumber(number.get_ref<const json::number_integer_t&>());
    return jsonNumber(number.get_ref<const json::number_float_t&>());
}

int32_t jsonNumberToInt32(const nlohmann::json& value) { return value.is_number() ? jsonNumberOf(value).whole : 0; }

void readInt32(const nlohmann::json& object, const char* key, int32_t& target) {
    const nlohmann::json* value = member(object, key);
    if (value && value->is_number()) target = jsonNumberToInt32(*value);
}

void readString(const nlohmann::json& object, const char* key, std::string& target) {
    const nlohmann::json* value = member(object, key);
    if (value && value->is_string()) target = value->get_ref<const std::string&>();
}

nlohmann::json parseJsonBody(std::string_view body) {
    return nlohmann::json::parse(body.data(), body.data() + body.size(), nullptr, /*allow_exceptions=*/false,
                                 /*ignore_comments=*/false);
}

}  // namespace mb
