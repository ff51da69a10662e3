#include "ui/screen_point_text.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(ScreenPointText, PadsEachCoordinateToThreeDigits) {
    EXPECT_EQ(ScreenPointText(QPoint(7, 9)), QStringLiteral("007,009"));
    EXPECT_EQ(ScreenPointText(QPoint(45, 120)), QStringLiteral("045,120"));
    EXPECT_EQ(ScreenPointText(QPoint(1280, 1024)), QStringLiteral("1280,1024"));
    EXPECT_EQ(ScreenPointText(QPoint(0, 0)), QStringLiteral("000,000"));
}

TEST(ScreenPointText, PutsTheMinusSignBeforeThePaddedDigits) {
    EXPECT_EQ(ScreenPointText(QPoint(-5, 10)), QStringLiteral("-005,010"));
    EXPECT_EQ(ScreenPointText(QPoint(-300, -1024)), QStringLiteral("-300,-1024"));
    EXPECT_EQ(ScreenPointText(QPoint(-2147483647 - 1, 0)), QStringLiteral("-2147483648,000"));
}

}  // namespace
}  // namespace stylorex
