#include "core/server_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace mb {
namespace {

constexpr int64_t kMarchFirstNoon = 1740830400;  // 2025-03-01 12:00:00 UTC
constexpr int64_t kLatest = 32535215999;         // 3000-12-31 23:59:59 UTC

TEST(ServerTime, ServerFormsGiveTheSameInstant) {
    EXPECT_EQ(ParseServerTime("2025-03-01T12:00:00Z"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-03-01 12:00:00"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-03-01T12:00:00.123456Z"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-03-01T12:00:00+05:00"), kMarchFirstNoon);  // the offset is ignored
}

TEST(ServerTime, FewerThanSixNumbersGiveZero) {
    EXPECT_EQ(ParseServerTime("2025-03-01"), 0);
    EXPECT_EQ(ParseServerTime("2025-03-01T12:00"), 0);
    EXPECT_EQ(ParseServerTime("2025-03-01T12:00:"), 0);
    EXPECT_EQ(ParseServerTime(""), 0);
    EXPECT_EQ(ParseServerTime("   "), 0);
    EXPECT_EQ(ParseServerTime("2025/03/01 12:00:00"), 0);
    EXPECT_EQ(ParseServerTime("2025 -03-01 12:00:00"), 0);  // a literal '-' skips no blank
    EXPECT_EQ(ParseServerTime("2025-03-01T12 :00:00"), 0);
    EXPECT_EQ(ParseServerTime("- 2025-03-01 12:00:00"), 0);  // no blank between sign and digits
    EXPECT_EQ(ParseServerTime("+-2025-03-01 12:00:00"), 0);
    EXPECT_EQ(ParseServerTime("2025-03-01"), 0);
}

TEST(ServerTime, ScansLikeTheWindowsRuntime) {
    // Each number may be preceded by white space of the C locale and a sign.
    EXPECT_EQ(ParseServerTime(" \t\n\v\f\r2025-\t03- 01T 12: 00:\n00"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("+2025-+03-+01T+12:+00:+00"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("\xA0"
                              "2025-03-01T12:00:00"),
              0);  // a no-break space is no white space
    // The separator is any single character, a blank or a digit included.
    EXPECT_EQ(ParseServerTime("2025-03-01\t12:00:00"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-03-01--12:00:00"), ParseServerTime("2025-03-01 -12:00:00"));
    EXPECT_EQ(ParseServerTime("2025-03-0112:00:00"), 0);  // day 112, then ':' is the separator
    // Numbers wrap modulo 2^32 like the runtime's accumulator.
    EXPECT_EQ(ParseServerTime("4294969321-03-01T12:00:00"), kMarchFirstNoon);    // 2025 + 2^32
    EXPECT_EQ(ParseServerTime("2025-03-01T4294967308:00:00"), kMarchFirstNoon);  // 12 + 2^32
    EXPECT_EQ(ParseServerTime("2025-03-01T12:00:00000000000000000000"), kMarchFirstNoon);
    // The first NUL ends the text, as it does for a C string.
    EXPECT_EQ(ParseServerTime(std::string("2025-03-01T12:00:00", 19)), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime(std::string("2025-03-01\0"
                                          "12:00:00",
                                          19)),
              0);
}

TEST(ServerTime, RangeIsNineteenSeventyToThreeThousand) {
    EXPECT_EQ(ParseServerTime("1970-01-01T00:00:00Z"), 0);
    EXPECT_EQ(ParseServerTime("1970-01-01T00:00:01Z"), 1);
    EXPECT_EQ(ParseServerTime("1969-12-31T23:59:59Z"), -1);
    EXPECT_EQ(ParseServerTime("3000-12-31T23:59:59Z"), kLatest);
    EXPECT_EQ(ParseServerTime("3000-12-31T23:59:60Z"), -1);
    EXPECT_EQ(ParseServerTime("3001-01-01T00:00:00Z"), -1);
    EXPECT_EQ(ParseServerTime("1900-01-01T00:00:00Z"), -1);
    EXPECT_EQ(ParseServerTime("-5-01-01T00:00:00Z"), -1);
    // A year just outside may be carried into the range by the other fields.
    EXPECT_EQ(ParseServerTime("1969-12-31T24:00:00Z"), 0);
    EXPECT_EQ(ParseServerTime("1969-13-01T00:00:00Z"), 0);
    EXPECT_EQ(ParseServerTime("3001-00-01T00:00:00Z"), ParseServerTime("3000-12-01T00:00:00Z"));
    // ...but a year further out is refused before any carrying.
    EXPECT_EQ(ParseServerTime("1968-25-01T00:00:00Z"), -1);
    EXPECT_EQ(ParseServerTime("3002-00-01T00:00:00Z"), -1);
}

TEST(ServerTime, OutOfRangeFieldsCarry) {
    EXPECT_EQ(ParseServerTime("2024-02-29T00:00:00"), 1709164800);
    EXPECT_EQ(ParseServerTime("2025-02-29T12:00:00"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-13-01T00:00:00"), 1767225600);
    EXPECT_EQ(ParseServerTime("2025-00-10T00:00:00"), 1733788800);
    EXPECT_EQ(ParseServerTime("2025-03-01T24:00:00"), 1740873600);
    EXPECT_EQ(ParseServerTime("2025-03-02T-12:00:00"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-03-01T11:59:60"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-03-01T12:01:-60"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2025-03-00T12:00:00"), ParseServerTime("2025-02-28T12:00:00"));
    EXPECT_EQ(ParseServerTime("2025-01-60T12:00:00"), kMarchFirstNoon);
    EXPECT_EQ(ParseServerTime("2000-02-29T00:00:00"), ParseServerTime("2000-03-01T00:00:00") - 86400);
    EXPECT_EQ(ParseServerTime("2100-02-29T00:00:00"), ParseServerTime("2100-03-01T00:00:00"));
}

TEST(ServerTime, ExtremeFieldsStayDefined) {
    // Checked by the sanitizers as much as by the values.
    EXPECT_EQ(ParseServerTime("2147483647-2147483647-2147483647T2147483647:2147483647:2147483647"), -1);
    EXPECT_EQ(ParseServerTime("-2147483648--2147483648--2147483648T-2147483648:-2147483648:-2147483648"), -1);
    EXPECT_EQ(ParseServerTime("1970-01-2147483647T00:00:00"), -1);
    EXPECT_EQ(ParseServerTime("1970--2147483648-01T00:00:00"), -1);
    EXPECT_EQ(ParseServerTime("1970-01-01T00:00:2147483647"), 2147483647);
    EXPECT_EQ(ParseServerTime("1970-01-01T00:500000000:00"), int64_t{500000000} * 60);
    EXPECT_EQ(ParseServerTime("1970-01-01T00:2147483647:00"), -1);   // past 3000
    EXPECT_EQ(ParseServerTime("1970-01-01T2147483647:00:00"), -1);   // past 3000
    EXPECT_EQ(ParseServerTime("3000-12-31T-2147483648:00:00"), -1);  // before 1970
}

// Sets or (with nullptr) removes TZ and lets the C runtime read it again.
void setTimeZone(const char* zone) {
#ifdef _WIN32
    ::_putenv_s("TZ", zone ? zone : "");
    ::_tzset();
#else
    if (zone)
        ::setenv("TZ", zone, 1);
    else
        ::unsetenv("TZ");
    ::tzset();
#endif
}

TEST(ServerTime, TimeZoneOfTheMachineDoesNotMatter) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    for (const char* zone : {"UTC0", "EST5EDT", "JST-9", "NZST-12NZDT", "IST-5:30"}) {
        setTimeZone(zone);
        EXPECT_EQ(ParseServerTime("2025-03-01T12:00:00Z"), kMarchFirstNoon) << zone;
        EXPECT_EQ(ParseServerTime("2025-07-01 00:30:00"), 1751329800) << zone;
    }
    setTimeZone(previous ? saved.c_str() : nullptr);
}

}  // namespace
}  // namespace mb
