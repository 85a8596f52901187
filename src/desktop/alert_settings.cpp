#include "desktop/alert_settings.h"

#include <optional>

namespace mb {
namespace {

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A decimal whole number without sign; nothing for anything else. Nine digits cannot
// overflow, and no accepted value comes near them.
std::optional<int32_t> parseWhole(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty() || text.size() > 9) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

int32_t parseAlertThreshold(std::string_view text, int32_t low, int32_t high) {
    const std::optional<int32_t> value = parseWhole(text);
    return value && *value >= low && *value <= high ? *value : 0;
}

bool parseAlertSound(std::string_view text) { return parseWhole(text) != 0; }

}  // namespace mb
