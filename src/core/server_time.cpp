// The scan follows the Windows CRT's sscanf for "%d-%d-%d%*c%d:%d:%d" and the conversion
// follows its _mkgmtime64, so the program gives the same seconds for any text the server sends.
#include "core/server_time.h"

#include <array>
#include <cstddef>

#include "core/utc_time.h"

namespace mb {
namespace {

// Reads the text the way sscanf reads a C string: the first NUL ends the input.
class CrtScanner {
public:
    explicit CrtScanner(std::string_view text) : text_(text) {}

    // %d: skips white space, takes an optional sign and at least one digit. Digits are
    // accumulated modulo 2^32, so an overflowing number wraps like the CRT's does.
    bool readInt(int32_t& out) {
        while (isCrtSpace(peek())) ++pos_;
        bool negative = false;
        if (peek() == '-' || peek() == '+') {
            negative = peek() == '-';
            ++pos_;
        }
        if (!isDigit(peek())) return false;
        uint32_t value = 0;
        while (isDigit(peek())) {
            value = value * 10u + static_cast<uint32_t>(peek() - '0');
            ++pos_;
        }
        if (negative) value = 0u - value;
        out = static_cast<int32_t>(value);
        return true;
    }

    // A literal character of the pattern: must be the next input character, no skipping.
    bool readLiteral(char expected) {
        if (peek() != static_cast<unsigned char>(expected)) return false;
        ++pos_;
        return true;
    }

    // %*c: any one character, white space included.
    bool skipOne() {
        if (peek() < 0) return false;
        ++pos_;
        return true;
    }

private:
    static bool isDigit(int c) { return c >= '0' && c <= '9'; }
    // The C locale's white space: blank, tab, line feed, vertical tab, form feed, return.
    static bool isCrtSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    // The next character as 0 to 255, or -1 at the end of the text.
    int peek() const {
        if (pos_ >= text_.size() || text_[pos_] == '\0') return -1;
        return static_cast<unsigned char>(text_[pos_]);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// tm_year and tm_mon are ints made by subtraction: they wrap as the CRT build's do.
int32_t wrappingSubtract(int32_t value, int32_t amount) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) - static_cast<uint32_t>(amount));
}

bool isLeap(int64_t tmYear) {
    const int64_t year = tmYear + 1900;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Leap days between 1970 and the start of tmYear (tmYear >= 69).
int64_t elapsedLeapDays(int64_t tmYear) { return (tmYear - 1) / 4 - (tmYear - 1) / 100 + (tmYear + 299) / 400 - 17; }

constexpr int64_t kFirstYear = 69;   // 1969: one year below the range, for normalisation
constexpr int64_t kLastYear = 1101;  // 3001: one year above it

// Days before each month, less one, so that adding tm_mday gives days since the epoch.
constexpr std::array<int64_t, 12> kDaysBeforeMonth = {-1, 30, 58, 89, 119, 150, 180, 211, 242, 272, 303, 333};

}  // namespace

// Fields outside their usual range carry into the next larger one. The year is checked
// before and after the months are carried, and the instant at the end; everything runs in
// 64 bits, where no int field can overflow.
int64_t makeGmTime(const BrokenDownTime& time) {
    int64_t year = time.tm_year;
    if (year < kFirstYear || year > kLastYear) return -1;
    int64_t month = time.tm_mon;
    if (month < 0 || month > 11) {
        year += month / 12;
        month %= 12;
        if (month < 0) {
            month += 12;
            --year;
        }
        if (year < kFirstYear || year > kLastYear) return -1;
    }
    int64_t days = (year - 70) * 365 + elapsedLeapDays(year) + kDaysBeforeMonth[static_cast<std::size_t>(month)];
    if (isLeap(year) && month > 1) ++days;
    days += time.tm_mday;
    const int64_t seconds = ((days * 24 + time.tm_hour) * 60 + time.tm_min) * 60 + time.tm_sec;
    if (seconds < 0 || seconds > kLatestUtcTime) return -1;
    return seconds;
}

int scanServerTimeFields(std::string_view text, ServerTimeFields& fields) {
    CrtScanner scan(text);
    int count = 0;
    // The pattern as steps: a number, or a literal to match, or '\0' for "%*c".
    static constexpr char kPattern[] = {'#', '-', '#', '-', '#', '\0', '#', ':', '#', ':', '#'};
    for (const char piece : kPattern) {
        bool done = false;
        if (piece == '#') {
            done = scan.readInt(fields.values[count]);
            if (done) ++count;
        } else if (piece == '\0') {
            done = scan.skipOne();
        } else {
            done = scan.readLiteral(piece);
        }
        if (!done) break;  // sscanf stops at the first mismatch or at the end of the text
    }
    return count;
}

int64_t ParseServerTime(std::string_view text) {
    ServerTimeFields fields;
    if (scanServerTimeFields(text, fields) < 6) return 0;
    const int32_t* v = fields.values;
    BrokenDownTime time;
    time.tm_year = wrappingSubtract(v[0], 1900);
    time.tm_mon = wrappingSubtract(v[1], 1);
    time.tm_mday = v[2];
    time.tm_hour = v[3];
    time.tm_min = v[4];
    time.tm_sec = v[5];
    return makeGmTime(time);
}

}  // namespace mb
