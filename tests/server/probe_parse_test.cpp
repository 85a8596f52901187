#include "server/probe_parse.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

std::string failure(const std::string& body) {
    std::string error;
    EXPECT_EQ(parseCacheAge(body, error), -1.0) << body;
    return error;
}

double age(const std::string& cacheAge) {
    std::string error;
    const double value = parseCacheAge(R"({"status":"ok","statistics":{"cache_ttl":20,"cache_age":)" + cacheAge + "}}",
                                       error);
    EXPECT_TRUE(error.empty()) << error;
    return value;
}

TEST(ProbeParse, ValidRangeIncludesBothEndsAndKeepsFractions) {
    EXPECT_EQ(age("0"), 0.0);
    EXPECT_EQ(age("86400"), 86400.0);
    EXPECT_EQ(age("12.25"), 12.25);
    EXPECT_EQ(age("1e2"), 100.0);
    EXPECT_EQ(age("-0.0"), 0.0);
}

TEST(ProbeParse, ErrorTextsInTheirOrder) {
    EXPECT_EQ(failure("{"), "Invalid JSON response");
    EXPECT_EQ(failure(R"({"statistics":{"cache_age":1},})"), "Invalid JSON response");
    EXPECT_EQ(failure(""), "Invalid JSON response");
    EXPECT_EQ(failure("[]"), "JSON root is not an object");
    EXPECT_EQ(failure("12"), "JSON root is not an object");
    EXPECT_EQ(failure("{}"), "Missing 'statistics' field in response");
    EXPECT_EQ(failure(R"({"Statistics":{"cache_age":1}})"), "Missing 'statistics' field in response");
    EXPECT_EQ(failure(R"({"statistics":[1]})"), "'statistics' field is not an object");
    EXPECT_EQ(failure(R"({"statistics":null})"), "'statistics' field is not an object");
    EXPECT_EQ(failure(R"({"statistics":{}})"), "Missing 'cache_age' field in statistics");
    EXPECT_EQ(failure(R"({"statistics":{"cacheAge":1}})"), "Missing 'cache_age' field in statistics");
    EXPECT_EQ(failure(R"({"statistics":{"cache_age":null}})"), "'cache_age' is null");
    for (const char* notNumber : {R"("12")", "true", "{}", "[1]"}) {
        EXPECT_EQ(failure(std::string(R"({"statistics":{"cache_age":)") + notNumber + "}}"),
                  "'cache_age' is not a number");
    }
    for (const char* outside : {"86400.5", "-1", "-0.001", "1e300"}) {
        EXPECT_EQ(failure(std::string(R"({"statistics":{"cache_age":)") + outside + "}}"),
                  "'cache_age' out of valid range");
    }
}

}  // namespace
}  // namespace mb
