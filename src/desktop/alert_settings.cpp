#include "desktop/alert_settings.h"

#include <optional>

#include "desktop/settings_text.h"

namespace mb {
namespace {

// A decimal whole number without sign; nothing for anything else. No accepted value comes
// near nine digits.
std::optional<int32_t> parseWhole(std::string_view text) { return parseDigits(trimBlanks(text), 9); }

}  // namespace

int32_t parseAlertThreshold(std::string_view text, int32_t low, int32_t high) {
    const std::optional<int32_t> value = parseWhole(text);
    return value && *value >= low && *value <= high ? *value : 0;
}

bool parseAlertSound(std::string_view text) { return parseWhole(text) != 0; }

}  // namespace mb
