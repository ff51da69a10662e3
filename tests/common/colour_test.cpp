#include "common/colour.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(SplitRGB, TakesRedFromTheLowestByteAndBlueFromTheThird) {
    const ColorParts parts = SplitRGB(PackRGB(0x12, 0x34, 0x56));
    EXPECT_EQ(parts.Red, 0x12);
    EXPECT_EQ(parts.Green, 0x34);
    EXPECT_EQ(parts.Blue, 0x56);
}

TEST(SplitRGB, CoversTheWholeRangeOfRealColours) {
    for (int v : {0, 0xFF, 0xFF00, 0xFF0000, 0xFFFFFF, 0x808080, 0x010203}) {
        const ColorParts parts = SplitRGB(v);
        EXPECT_EQ(parts.Red, v & 0xFF) << v;
        EXPECT_EQ(parts.Green, (v >> 8) & 0xFF) << v;
        EXPECT_EQ(parts.Blue, (v >> 16) & 0xFF) << v;
    }
}

TEST(SplitRGB, InvalidColourGivesMinusOneInEveryPart) {
    const ColorParts parts = SplitRGB(kInvalidColour);
    EXPECT_EQ(parts.Red, -1);
    EXPECT_EQ(parts.Green, -1);
    EXPECT_EQ(parts.Blue, -1);
}

TEST(SplitRGB, NegativeValuesUseTruncatingRemainderAndFloor) {
    // -257: mod 256 truncates to -1; (-257 mod 65536) / 256 floors to -2; -257 / 65536 to -1.
    const ColorParts parts = SplitRGB(-257);
    EXPECT_EQ(parts.Red, -1);
    EXPECT_EQ(parts.Green, -2);
    EXPECT_EQ(parts.Blue, -1);
}

}  // namespace
}  // namespace stylorex
