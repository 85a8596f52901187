// Texts of the channel list rows.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/progress_list_text.h"

namespace mb::progress_list {
namespace {

TEST(ProgressListText, LabelRightAlignsBothNumbersInThreeColumns) {
    EXPECT_EQ(rowLabel(7, 45), L"Ch.   7 |  45%");
    EXPECT_EQ(rowLabel(12, 5), L"Ch.  12 |   5%");
    EXPECT_EQ(rowLabel(999, 100), L"Ch. 999 | 100%");
    EXPECT_EQ(rowLabel(999, 100), std::wstring(kLabelSample));
    EXPECT_EQ(rowLabel(1234, 0), L"Ch. 1234 |   0%");
}

TEST(ProgressListText, TimePartSwitchesToMinutesAtSixtySeconds) {
    EXPECT_EQ(timePart(59.9), L"59s");
    EXPECT_EQ(timePart(60.0), L"1m 0s");
    EXPECT_EQ(timePart(61.7), L"1m 1s");
    EXPECT_EQ(timePart(3599.99), L"59m 59s");
    EXPECT_EQ(timePart(7265.0), L"121m 5s");
    EXPECT_EQ(timePart(0.4), L"0s");
    EXPECT_EQ(timePart(0.0), L"");
    EXPECT_EQ(timePart(-1.0), L"");
    EXPECT_EQ(timePart(std::nan("")), L"");
}

TEST(ProgressListText, TimePartOfAHugeEstimateStaysDefined) {
    // The server's estimate is passed through unchecked; the conversion must not overflow.
    EXPECT_EQ(timePart(1e300), L"2147483647m 7s");
    EXPECT_EQ(timePart(std::numeric_limits<double>::infinity()), L"2147483647m 7s");
}

TEST(ProgressListText, RatePartNeedsMoreThanOneHundredthPerSecond) {
    EXPECT_EQ(ratePart(0.01), L"");
    EXPECT_EQ(ratePart(0.0), L"");
    EXPECT_EQ(ratePart(-2.0), L"");
    EXPECT_EQ(ratePart(std::nan("")), L"");
    EXPECT_EQ(ratePart(0.456), L"(-0.5%/s)");
    EXPECT_EQ(ratePart(0.011), L"(-0.0%/s)");
    EXPECT_EQ(ratePart(12.34), L"(-12.3%/s)");
    std::wstring huge = ratePart(1e300);
    EXPECT_EQ(huge.size(), kRatePartLimit);
    EXPECT_EQ(huge.substr(0, 4), L"(-10");
}

TEST(ProgressListText, OverlayJoinsTheExistingParts) {
    ChannelRow row;
    EXPECT_EQ(overlayText(row), L"");
    row.secondsLeft = 90.0;
    EXPECT_EQ(overlayText(row), L"1m 30s");
    row.lossRate = 0.456;
    EXPECT_EQ(overlayText(row), L"1m 30s (-0.5%/s)");
    row.secondsLeft = -1.0;
    EXPECT_EQ(overlayText(row), L"(-0.5%/s)");
    row.lossRate = 0.01;
    EXPECT_EQ(overlayText(row), L"");
}

TEST(ProgressListText, AccessibleTextIsTheListAsDrawn) {
    const ChannelRow timed{7, 90, 0.3, 252.0, 0, 0};
    const ChannelRow bare{12, 5, 0.0, -1.0, 0x808080, 0xC8C8C8};
    const ChannelRow rateOnly{3, 100, 2.25, 0.0, 0, 0};
    EXPECT_EQ(rowAccessibleText(timed), L"Ch.   7 |  90%  4m 12s (-0.3%/s)");
    EXPECT_EQ(rowAccessibleText(bare), L"Ch.  12 |   5%");
    EXPECT_EQ(rowAccessibleText(rateOnly), L"Ch.   3 | 100%  (-2.2%/s)");
    EXPECT_EQ(listAccessibleText({}), std::wstring(kNoRowsCaption));
    EXPECT_EQ(listAccessibleText({bare}), L"Ch.  12 |   5%");
    EXPECT_EQ(listAccessibleText({timed, bare, rateOnly}),
              L"Ch.   7 |  90%  4m 12s (-0.3%/s)\r\nCh.  12 |   5%\r\nCh.   3 | 100%  (-2.2%/s)");
}

}  // namespace
}  // namespace mb::progress_list
