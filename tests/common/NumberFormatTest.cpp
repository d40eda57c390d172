#include <gtest/gtest.h>

#include "common/NumberFormat.h"

namespace k7 {
namespace {

TEST(NumberFormat, RequiredAndOptionalDigits) {
    EXPECT_EQ(formatNumber(0, "##0.0"), "0.0");
    EXPECT_EQ(formatNumber(12, "##0.0"), "12.0");
    EXPECT_EQ(formatNumber(1234.56, "##0.0"), "1234.6");  // no thousands separator
    EXPECT_EQ(formatNumber(0.8, "###.00"), ".80");
    EXPECT_EQ(formatNumber(2.5, "######.000"), "2.500");
    EXPECT_EQ(formatNumber(0.0833, "#0.000"), "0.083");
    EXPECT_EQ(formatNumber(12, "##0."), "12.");
}

TEST(NumberFormat, RoundsHalfAwayFromZeroOnTheDecimalForm) {
    EXPECT_EQ(formatNumber(0.25, "##0.0"), "0.3");
    EXPECT_EQ(formatNumber(-0.25, "##0.0"), "-0.3");
    EXPECT_EQ(formatNumber(1.005, "##0.00"), "1.01");
    EXPECT_EQ(formatNumber(9.995, "#0.00"), "10.00");
    EXPECT_EQ(formatNumber(99.96, "#0.0"), "100.0");
    EXPECT_EQ(formatNumber(69.8, "##0.0"), "69.8");
}

TEST(NumberFormat, NoNegativeZero) {
    EXPECT_EQ(formatNumber(-0.04, "##0.0"), "0.0");
    EXPECT_EQ(formatNumber(-5, "##0.0"), "-5.0");
}

}  // namespace
}  // namespace k7
