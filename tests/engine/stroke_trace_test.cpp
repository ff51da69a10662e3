#include "engine/stroke_trace.h"

#include "tests/engine/test_pictures.h"

#include <gtest/gtest.h>

#include <vector>

namespace stylorex {
namespace {

using testing::Mode;
using testing::PictureWith;
using Stroke = std::vector<PixelPoint>;

// Every stroke of the picture, walked as the run walks it.
std::vector<Stroke> TraceAll(const QImage& picture) {
    ScanTables tables;
    ScanPicture(picture, Mode(1), tables);
    StrokeWalker walker(tables);
    std::vector<Stroke> strokes;
    PixelPoint p;
    while (walker.nextStroke(p)) {
        Stroke stroke{p};
        while (walker.nextPoint(p)) {
            stroke.push_back(p);
        }
        strokes.push_back(stroke);
    }
    return strokes;
}

TEST(NextStrokePoint, VerticalLineIsOneStrokeDownwards) {
    const auto strokes = TraceAll(PictureWith(
        10, 10, {{5, 0}, {5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}, {5, 6}, {5, 7}, {5, 8}, {5, 9}}));
    ASSERT_EQ(strokes.size(), 1u);
    ASSERT_EQ(strokes[0].size(), 10u);
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(strokes[0][y], (PixelPoint{5, static_cast<std::int16_t>(y)}));
    }
}

TEST(NextStrokePoint, HorizontalLineIsOneStrokeToTheRight) {
    const auto strokes = TraceAll(PictureWith(
        10, 10, {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}, {8, 5}, {9, 5}}));
    ASSERT_EQ(strokes.size(), 1u);
    ASSERT_EQ(strokes[0].size(), 10u);
    EXPECT_EQ(strokes[0].front(), (PixelPoint{0, 5}));
    EXPECT_EQ(strokes[0].back(), (PixelPoint{9, 5}));
}

TEST(NextStrokePoint, DiagonalsStepThroughTheLowerCorners) {
    const auto down = TraceAll(PictureWith(4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(down, (std::vector<Stroke>{{{0, 0}, {1, 1}, {2, 2}, {3, 3}}}));
    const auto anti = TraceAll(PictureWith(4, 4, {{3, 0}, {2, 1}, {1, 2}, {0, 3}}));
    EXPECT_EQ(anti, (std::vector<Stroke>{{{3, 0}, {2, 1}, {1, 2}, {0, 3}}}));
}

TEST(NextStrokePoint, TwoPixelBandPrefersTheRowBelowThenLeavesOnePixel) {
    const auto strokes = TraceAll(
        PictureWith(8, 8, {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {0, 6}, {1, 6}, {2, 6}, {3, 6}}));
    EXPECT_EQ(strokes, (std::vector<Stroke>{
                           {{0, 5}, {0, 6}, {1, 6}, {2, 6}, {3, 6}, {2, 5}, {1, 5}},
                           {{3, 5}},
                       }));
}

TEST(NextStrokePoint, TShapeTakesTheStemAndLeavesTheRestOfTheBar) {
    const auto strokes = TraceAll(PictureWith(
        5, 5, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}}));
    EXPECT_EQ(strokes, (std::vector<Stroke>{
                           {{0, 0}, {1, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}},
                           {{2, 0}, {3, 0}, {4, 0}},
                       }));
}

TEST(NextStrokePoint, NeighbourOrderIsBelowThenSameRowThenAbove) {
    // All eight neighbours of (1, 1) are line pixels: the walk from (1, 1) takes them in the
    // fixed order as each earlier one is used up.
    ScanTables tables;
    ScanPicture(testing::FilledPicture(3, 3, Qt::black), Mode(1), tables);
    const std::vector<PixelPoint> order = {{0, 2}, {1, 2}, {2, 2}, {0, 1},
                                           {2, 1}, {0, 0}, {1, 0}, {2, 0}};
    tables.PixelMap(1, 1).Undrawn = false;
    for (const PixelPoint& expected : order) {
        PixelPoint next;
        ASSERT_TRUE(NextStrokePoint(tables, 1, 1, next));
        EXPECT_EQ(next, expected);
        tables.PixelMap(next).Undrawn = false;
    }
    PixelPoint next;
    EXPECT_FALSE(NextStrokePoint(tables, 1, 1, next));
}

TEST(NextStrokePoint, BorderPixelsNeverLookOutsideThePicture) {
    // A 3x2 picture scanned into a table with room beyond it: the cells right of MaxX and below
    // MaxY are set by hand, and must still never be chosen.
    ScanTables tables;
    ScanPicture(PictureWith(3, 2, {{2, 1}}), Mode(1), tables);
    tables.PixelMap(3, 1) = PixelCell{true, true};
    tables.PixelMap(3, 0) = PixelCell{true, true};
    tables.PixelMap(2, 2) = PixelCell{true, true};
    tables.PixelMap(1, 2) = PixelCell{true, true};
    PixelPoint next;
    EXPECT_FALSE(NextStrokePoint(tables, 2, 1, next));
    EXPECT_EQ(next, (PixelPoint{-1, -1}));
    // And at x = 0, y = 0 no look goes to the left or above (which would wrap into the row
    // before or read before the table).
    ScanPicture(PictureWith(3, 2, {{0, 0}}), Mode(1), tables);
    EXPECT_FALSE(NextStrokePoint(tables, 0, 0, next));
}

TEST(NextStrokePoint, IsolatedPixelEndsAtOnceWithMinusOne) {
    ScanTables tables;
    ScanPicture(PictureWith(5, 5, {{2, 2}}), Mode(1), tables);
    PixelPoint next{7, 7};
    EXPECT_FALSE(NextStrokePoint(tables, 2, 2, next));
    EXPECT_EQ(next, (PixelPoint{-1, -1}));
}

}  // namespace
}  // namespace stylorex
