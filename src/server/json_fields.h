// Reading single members of the server's JSON objects: a member that is missing, null or of
// another type leaves the record's default in place.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace mb {

// A JSON number as signed 32 bits: a fraction is cut off toward zero and values beyond the
// range saturate at its ends (the conversion must never overflow); 0 for a value that is no number.
int32_t jsonNumberToInt32(const nlohmann::json& value);

// A JSON number both ways the records take it: as above, and as a double.
struct JsonNumber {
    int32_t whole = 0;
    double value = 0.0;
};
// For each kind of number the parser gives, and for a value that is a number.
JsonNumber jsonNumber(int64_t value);
JsonNumber jsonNumber(uint64_t value);
JsonNumber jsonNumber(double value);
JsonNumber jsonNumberOf(const nlohmann::json& number);

void readInt32(const nlohmann::json& object, const char* key, int32_t& target);
void readString(const nlohmann::json& object, const char* key, std::string& target);

// Parses in the non-throwing mode: no comments, no trailing commas; a syntax error gives the
// discarded value.
nlohmann::json parseJsonBody(std::string_view body);

}  // namespace mb
