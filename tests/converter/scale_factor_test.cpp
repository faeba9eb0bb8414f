#include "converter/app/scale_factor.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kzo;

TEST(ScaleFactor, takesTheLongestNumericBeginning) {
    EXPECT_EQ(parseScaleFactor("1.0"), 1.0f);
    EXPECT_EQ(parseScaleFactor("2.5cm"), 2.5f);
    EXPECT_EQ(parseScaleFactor("  \t-3e2x"), -300.0f);
    EXPECT_EQ(parseScaleFactor("+7"), 7.0f);
    EXPECT_EQ(parseScaleFactor(".5"), 0.5f);
    EXPECT_EQ(parseScaleFactor("4."), 4.0f);
    EXPECT_EQ(parseScaleFactor("1.5E+1"), 15.0f);
    EXPECT_EQ(parseScaleFactor("12.5.3"), 12.5f);
}

TEST(ScaleFactor, anExponentNeedsADigit) {
    EXPECT_EQ(parseScaleFactor("1e"), 1.0f);
    EXPECT_EQ(parseScaleFactor("1e+"), 1.0f);
    EXPECT_EQ(parseScaleFactor("2E-x"), 2.0f);
}

TEST(ScaleFactor, textWithoutANumberGivesZero) {
    EXPECT_EQ(parseScaleFactor(""), 0.0f);
    EXPECT_EQ(parseScaleFactor("abc"), 0.0f);
    EXPECT_EQ(parseScaleFactor("-"), 0.0f);
    EXPECT_EQ(parseScaleFactor("."), 0.0f);
    EXPECT_EQ(parseScaleFactor(".e5"), 0.0f);
    // Words a library parser would take as numbers are not decimal numbers.
    EXPECT_EQ(parseScaleFactor("inf"), 0.0f);
    EXPECT_EQ(parseScaleFactor("nan"), 0.0f);
    EXPECT_EQ(parseScaleFactor("0x10"), 0.0f);
}

TEST(ScaleFactor, valuesBeyondTheFloatRangeSaturate) {
    EXPECT_EQ(parseScaleFactor("1e39"), INFINITY);
    EXPECT_EQ(parseScaleFactor("-123456789e9999999999"), -INFINITY);
    EXPECT_EQ(parseScaleFactor("1e-50"), 0.0f);
    EXPECT_EQ(parseScaleFactor("0.000000000000000000000000000000000000000000000001e-3"), 0.0f);
    EXPECT_EQ(parseScaleFactor("0e999999"), 0.0f);
}

TEST(ScaleFactor, rangeIncludesBothLimitsAndZero) {
    for (const char* text : {"100000", "-100000", "0", "abc", "-0.5", "99999.99"}) {
        EXPECT_TRUE(isScaleFactorInRange(parseScaleFactor(text))) << text;
    }
    for (const char* text : {"-1e6", "100001", "-100000.01", "1e39", "-1e39"}) {
        EXPECT_FALSE(isScaleFactorInRange(parseScaleFactor(text))) << text;
    }
}

// The floats next to 100000 are 99999.9921875 and 100000.0078125; the check is
// on the rounded float, and the text is rounded once, straight to float.
TEST(ScaleFactor, rangeIsCheckedAfterRoundingToFloat) {
    EXPECT_EQ(parseScaleFactor("100000.0039"), 100000.0f);
    EXPECT_TRUE(isScaleFactorInRange(parseScaleFactor("100000.0039")));
    EXPECT_TRUE(isScaleFactorInRange(parseScaleFactor("-100000.0039")));
    // Exactly halfway rounds to the even neighbour, 100000.
    EXPECT_TRUE(isScaleFactorInRange(parseScaleFactor("100000.00390625")));
    // A hair above halfway: a detour through double would round to the
    // halfway value and then down; the float must round up.
    EXPECT_FALSE(isScaleFactorInRange(parseScaleFactor("100000.003906250000000001")));
    EXPECT_FALSE(isScaleFactorInRange(parseScaleFactor("100000.004")));
}
