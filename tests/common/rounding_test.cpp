#include "common/rounding.h"

#include <gtest/gtest.h>

#include <limits>

namespace stylorex {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(10.49), 10);
    EXPECT_EQ(RoundHalfEven(10.51), 11);
}

TEST(RoundHalfEven, OutsideThirtyTwoBitsIsHeldOrNothing) {
    EXPECT_EQ(RoundHalfEven(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundHalfEvenIfInRange(2147483647.4), 2147483647);
    EXPECT_FALSE(RoundHalfEvenIfInRange(2147483647.6));
    EXPECT_FALSE(RoundHalfEvenIfInRange(std::numeric_limits<double>::infinity()));
}

}  // namespace
}  // namespace stylorex
