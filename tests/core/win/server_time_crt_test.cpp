// Holds the shared server-time parser against the C runtime it copies: msvcrt.dll's own
// sscanf and _mkgmtime64 (looked up in the DLL, so the MinGW replacements are not used).
//
// Wine's _mkgmtime64 departs from the one Windows ships and documents in a few places; the
// parser follows Windows there, and each departure is recognised from the fields alone:
//   no upper limit     Wine returns instants after 3000-12-31 23:59:59, Windows gives -1;
//   year 1969          Wine refuses 1969 after carrying the months, Windows lets later
//                      fields carry it into 1970;
//   year 3001          Wine refuses 3001 after carrying the months, Windows lets earlier
//                      days bring it back into 3000;
//   far-out years      Windows refuses a tm_year outside 69..1101 before carrying months,
//                      Wine carries first;
//   100-ns overflow    Wine adds the fields as 100-ns ticks in 64 bits, which wrap for
//                      huge days or hours; Windows counts seconds and gives -1.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/server_time.h"

namespace mb {
namespace {

using SscanfFunction = int(__cdecl*)(const char*, const char*, ...);
using MkgmtimeFunction = __time64_t(__cdecl*)(struct tm*);

constexpr int64_t kLatest = 32535215999;  // 3000-12-31 23:59:59 UTC

struct Crt {
    SscanfFunction sscanf = nullptr;
    MkgmtimeFunction mkgmtime64 = nullptr;
};

const Crt& msvcrt() {
    static const Crt crt = [] {
        Crt found;
        if (HMODULE dll = ::LoadLibraryW(L"msvcrt.dll")) {  // stays loaded for the process
            found.sscanf = reinterpret_cast<SscanfFunction>(reinterpret_cast<void*>(::GetProcAddress(dll, "sscanf")));
            found.mkgmtime64 = reinterpret_cast<MkgmtimeFunction>(
                reinterpret_cast<void*>(::GetProcAddress(dll, "_mkgmtime64")));
        }
        return found;
    }();
    return crt;
}

int crtScan(const std::string& text, ServerTimeFields& fields) {
    int32_t* v = fields.values;
    const int count = msvcrt().sscanf(text.c_str(), "%d-%d-%d%*c%d:%d:%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    return count < 0 ? 0 : count;  // EOF before the first number: none read
}

int64_t crtMkgmtime(const BrokenDownTime& time) {
    struct tm t {};
    t.tm_year = time.tm_year;
    t.tm_mon = time.tm_mon;
    t.tm_mday = time.tm_mday;
    t.tm_hour = time.tm_hour;
    t.tm_min = time.tm_min;
    t.tm_sec = time.tm_sec;
    t.tm_isdst = -1;
    return msvcrt().mkgmtime64(&t);
}

// Days from 1970-01-01 to the first of a month (Gregorian calendar, any year): an algorithm
// of its own, independent of the parser's table.
int64_t daysToMonthStart(int64_t year, int64_t month /* 1..12 */) {
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The year (since 1900) once the months are carried, and the exact instant of the fields.
struct Exact {
    int64_t carriedYear;
    int64_t seconds;  // at most about 2^31 days: far inside 64 bits
};

Exact exactInstant(const BrokenDownTime& t) {
    int64_t year = t.tm_year + int64_t{t.tm_mon} / 12;
    int64_t month = t.tm_mon % 12;
    if (month < 0) {
        month += 12;
        --year;
    }
    const int64_t days = daysToMonthStart(year + 1900, month + 1) + t.tm_mday - 1;
    return {year, days * 86400 + int64_t{t.tm_hour} * 3600 + int64_t{t.tm_min} * 60 + t.tm_sec};
}

// Which known departure of Wine from Windows explains a difference, or nullptr for none.
const char* wineDeparture(const BrokenDownTime& t, int64_t ours, int64_t wine) {
    const Exact exact = exactInstant(t);
    const bool exactInRange = exact.seconds >= 0 && exact.seconds <= kLatest;
    if (t.tm_year < 69 || t.tm_year > 1101) {
        if (ours == -1 && exact.carriedYear >= 70 && exact.carriedYear <= 1100) return "far-out years";
        return nullptr;
    }
    if (ours == -1 && wine > kLatest && !exactInRange) return "no upper limit";
    if (exact.carriedYear == 69 && wine == -1 && exactInRange && ours == exact.seconds) return "year 1969";
    if (exact.carriedYear == 1101 && wine == -1 && exactInRange && ours == exact.seconds) return "year 3001";
    // Ticks from 1601 to the fields' instant no longer fit a signed 64-bit FILETIME.
    constexpr int64_t kMaxTickSeconds = INT64_MAX / 10000000;
    const auto overflows = [](int64_t seconds) { return seconds > kMaxTickSeconds || seconds < -kMaxTickSeconds; };
    const bool ticksOverflow = overflows(exact.seconds + 11644473600) || overflows((int64_t{t.tm_mday} - 1) * 86400) ||
                               overflows(int64_t{t.tm_hour} * 3600);
    if (ours == -1 && !exactInRange && ticksOverflow) return "100-ns overflow";
    return nullptr;
}

std::string describe(const BrokenDownTime& t) {
    char text[160];
    std::snprintf(text, sizeof text, "tm_year %d tm_mon %d tm_mday %d tm_hour %d tm_min %d tm_sec %d", t.tm_year,
                  t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

// Compares one broken-down time; returns false (after reporting) on an unexplained difference.
bool sameConversion(const BrokenDownTime& t, std::map<std::string, int>& departures) {
    const int64_t ours = makeGmTime(t);
    const int64_t wine = crtMkgmtime(t);
    if (ours == wine) return true;
    if (const char* why = wineDeparture(t, ours, wine)) {
        ++departures[why];
        return true;
    }
    ADD_FAILURE() << describe(t) << ": ours " << ours << ", msvcrt " << wine;
    return false;
}

void report(const char* what, int cases, const std::map<std::string, int>& departures) {
    std::printf("%s: %d cases", what, cases);
    for (const auto& [why, count] : departures) std::printf(", %s %d", why.c_str(), count);
    std::printf("\n");
}

class CrtAgreement : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(msvcrt().sscanf, nullptr);
        ASSERT_NE(msvcrt().mkgmtime64, nullptr);
    }
    std::mt19937_64 random_{20250301};

    int32_t anyInt() { return static_cast<int32_t>(static_cast<uint32_t>(random_())); }
    int32_t between(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random_); }
    template <typename T>
    T pick(const std::vector<T>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random_)];
    }

    // A field: usually near its normal range, sometimes at a boundary, far out or anything.
    int32_t field(int32_t low, int32_t high, const std::vector<int32_t>& edges) {
        switch (between(0, 9)) {
        case 0:
            return anyInt();
        case 1:
            return pick(edges);
        case 2:
            return between(-100000, 100000);
        case 3:
            return between(low - 3 * (high - low + 1), high + 3 * (high - low + 1));
        default:
            return between(low, high);
        }
    }

    BrokenDownTime randomTime() {
        static const std::vector<int32_t> edges = {INT32_MIN, INT32_MIN + 1, -1,        0,
                                                   1,         INT32_MAX - 1, INT32_MAX, 10675199,
                                                   10675200,  -10675199,     256204778, 256204779};
        static const std::vector<int32_t> years = {67,  68,  69,   70,   71,   72,   99,  100,
                                                   130, 200, 1099, 1100, 1101, 1102, 1103};
        BrokenDownTime t;
        t.tm_year = between(0, 3) == 0 ? field(0, 1200, edges) : pick(years) + between(-1, 1) * between(0, 1);
        t.tm_mon = field(0, 11, edges);
        t.tm_mday = field(1, 31, edges);
        t.tm_hour = field(0, 23, edges);
        t.tm_min = field(0, 59, edges);
        t.tm_sec = field(0, 59, edges);
        return t;
    }
};

TEST_F(CrtAgreement, ConversionMatchesMkgmtime64) {
    std::map<std::string, int> departures;
    int cases = 0, failures = 0;
    for (; cases < 300000 && failures < 20; ++cases) {
        if (!sameConversion(randomTime(), departures)) ++failures;
    }
    // Every day around the ends of the range, each with edge times.
    for (int32_t year : {68, 69, 70, 71, 72, 99, 100, 130, 400, 1099, 1100, 1101, 1102}) {
        for (int32_t mon = -13; mon <= 13 && failures < 20; ++mon) {
            for (int32_t mday = -1; mday <= 32; ++mday) {
                for (int32_t hour : {-25, -1, 0, 23, 24}) {
                    for (int32_t sec : {-1, 0, 59, 60, 86400}) {
                        BrokenDownTime t{year, mon, mday, hour, 0, sec};
                        ++cases;
                        if (!sameConversion(t, departures)) ++failures;
                    }
                }
            }
        }
    }
    report("conversion", cases, departures);
}

class TextSource {
public:
    explicit TextSource(std::mt19937_64& random) : random_(random) {}

    std::string number() {
        std::string text;
        const int lead = below(8);
        if (lead == 0) text += pick(" \t\n\v\f\r");
        if (lead == 1) text += pick("\xA0\x85\x1C\x01\xFF");
        const int sign = below(6);
        if (sign == 0) text += '-';
        if (sign == 1) text += '+';
        if (sign == 2 && below(4) == 0) text += "+-";
        switch (below(6)) {
        case 0:
            text += std::to_string(static_cast<uint64_t>(random_()) >> below(64));
            break;
        case 1:
            text += std::to_string(below(3000));
            break;
        case 2:
            text += std::string(static_cast<std::size_t>(below(25)), '9');
            break;
        case 3:
            text += std::to_string(2147483640u + static_cast<unsigned>(below(20)));
            break;
        case 4:
            text += std::to_string(4294967290u + static_cast<unsigned>(below(20)));
            break;
        default:
            text += "0" + std::to_string(below(100));
            break;
        }
        return text;
    }

    char separator() { return below(3) == 0 ? static_cast<char>(below(256)) : pick("T T\t-:0Z"); }

    std::string wellFormed() {
        std::string text = number() + literal('-') + number() + literal('-') + number();
        if (below(20) != 0) text += separator();
        text += number() + literal(':') + number() + literal(':') + number();
        if (below(2) == 0)
            text += pick({".123456Z", "Z", "+05:00", "", "   ", ":17",
                          "\0"
                          "5"});
        return text;
    }

    std::string mutated() {
        std::string text = wellFormed();
        const int edits = 1 + below(3);
        for (int i = 0; i < edits && !text.empty(); ++i) {
            const std::size_t at = static_cast<std::size_t>(below(static_cast<int>(text.size())));
            switch (below(3)) {
            case 0:
                text[at] = static_cast<char>(below(256));
                break;
            case 1:
                text.erase(at, 1);
                break;
            default:
                text.insert(at, 1, pick("0123456789-+: T\t"));
                break;
            }
        }
        return text;
    }

    std::string noise() {
        std::string text;
        const int length = below(30);
        for (int i = 0; i < length; ++i)
            text += below(4) == 0 ? static_cast<char>(1 + below(255)) : pick("0123456789--::+ T\t\n");
        return text;
    }

private:
    int below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(random_); }
    char pick(const char* from) { return from[below(static_cast<int>(std::char_traits<char>::length(from)))]; }
    std::string pick(std::initializer_list<const char*> from) {
        return *(from.begin() + below(static_cast<int>(from.size())));
    }
    // Usually the pattern's character, sometimes a blank before it or another character.
    std::string literal(char expected) {
        switch (below(40)) {
        case 0:
            return std::string(" ") + expected;
        case 1:
            return std::string(1, pick("-:T/"));
        case 2:
            return "";
        default:
            return std::string(1, expected);
        }
    }

    std::mt19937_64& random_;
};

TEST_F(CrtAgreement, ScanMatchesSscanf) {
    TextSource texts(random_);
    int failures = 0;
    const int cases = 200000;
    for (int i = 0; i < cases && failures < 20; ++i) {
        const std::string text = i % 3 == 0 ? texts.wellFormed() : i % 3 == 1 ? texts.mutated() : texts.noise();
        ServerTimeFields ours, crt;
        const int ourCount = scanServerTimeFields(text, ours);
        const int crtCount = crtScan(text, crt);
        bool same = ourCount == crtCount;
        for (int k = 0; same && k < ourCount; ++k) same = ours.values[k] == crt.values[k];
        if (!same) {
            ++failures;
            ADD_FAILURE() << "text \"" << text << "\": ours " << ourCount << " numbers, msvcrt " << crtCount;
        }
    }
    for (const char* text : {"", " ", "-", "+", " -", "2025", "2025-", "2025-03-01", "2025-03-01T", "2025-03-01T12:",
                             "2025-03-01T12:00:", "2025-03-01T12:00:00", "-+1", "x", "2025-03-01T-", "2025-x"}) {
        ServerTimeFields ours, crt;
        EXPECT_EQ(scanServerTimeFields(text, ours), crtScan(text, crt)) << '"' << text << '"';
    }
    report("scan", cases, {});
}

TEST_F(CrtAgreement, ParseServerTimeMatchesSscanfAndMkgmtime64) {
    TextSource texts(random_);
    std::map<std::string, int> departures;
    int failures = 0;
    const int cases = 200000;
    for (int i = 0; i < cases && failures < 20; ++i) {
        const std::string text = i % 2 == 0 ? texts.wellFormed() : texts.mutated();
        ServerTimeFields crt;
        const int count = crtScan(text, crt);
        const int64_t ours = ParseServerTime(text);
        if (count < 6) {
            if (ours != 0) {
                ++failures;
                ADD_FAILURE() << "text \"" << text << "\": " << count << " numbers, ours " << ours;
            }
            continue;
        }
        const int32_t* v = crt.values;
        const BrokenDownTime t{static_cast<int32_t>(static_cast<uint32_t>(v[0]) - 1900u),
                               static_cast<int32_t>(static_cast<uint32_t>(v[1]) - 1u),
                               v[2],
                               v[3],
                               v[4],
                               v[5]};
        const int64_t wine = crtMkgmtime(t);
        if (ours == wine) continue;
        if (const char* why = wineDeparture(t, ours, wine)) {
            ++departures[why];
            continue;
        }
        ++failures;
        ADD_FAILURE() << "text \"" << text << "\": ours " << ours << ", msvcrt " << wine;
    }
    report("whole texts", cases, departures);
}

TEST_F(CrtAgreement, ServerFormsAgreeWithTheCrtInAnyZone) {
    for (const char* zone : {"TZ=UTC0", "TZ=EST5EDT", "TZ=JST-9", "TZ=NZST-12NZDT"}) {
        ::_putenv(zone);
        ::_tzset();
        for (const char* text : {"2025-03-01T12:00:00Z", "2025-03-01 12:00:00", "2025-03-01T12:00:00.123456Z"}) {
            ServerTimeFields crt;
            ASSERT_EQ(crtScan(text, crt), 6);
            const BrokenDownTime t{crt.values[0] - 1900, crt.values[1] - 1, crt.values[2],
                                   crt.values[3],        crt.values[4],     crt.values[5]};
            EXPECT_EQ(ParseServerTime(text), crtMkgmtime(t)) << zone << ' ' << text;
            EXPECT_EQ(ParseServerTime(text), 1740830400) << zone << ' ' << text;
        }
    }
    ::_putenv("TZ=");
    ::_tzset();
}

}  // namespace
}  // namespace mb
