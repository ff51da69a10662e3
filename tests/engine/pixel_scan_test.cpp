#include "engine/pixel_scan.h"

#include "tests/engine/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace stylorex {
namespace {

using testing::FilledPicture;
using testing::Mode;
using testing::PictureWith;

bool ScansAsLine(QColor colour, const ExtractionSettings& settings) {
    ScanTables tables;
    ScanPicture(FilledPicture(1, 1, colour), settings, tables);
    EXPECT_EQ(tables.PixelMap(0, 0).IsLine, tables.StartPointCount == 1);
    return tables.StartPointCount == 1;
}

TEST(ScanPicture, AllWhiteGivesNoLinePixelsInEitherMode) {
    for (int mode : {1, 2}) {
        ScanTables tables;
        ScanPicture(FilledPicture(7, 5, Qt::white), Mode(mode), tables);
        EXPECT_EQ(tables.StartPointCount, 0) << "mode " << mode;
        ASSERT_EQ(tables.StartPointList.size(), 7u * 5u + 2u);
        EXPECT_EQ(tables.StartPointList[1], (PixelPoint{-1, 0}));
    }
}

TEST(ScanPicture, AllLinePixelsPutTheTerminatorAtWidthTimesHeightPlusOne) {
    ScanTables tables;
    ScanPicture(FilledPicture(7, 5, Qt::black), Mode(1), tables);
    EXPECT_EQ(tables.StartPointCount, 35);
    ASSERT_EQ(tables.StartPointList.size(), 37u);
    EXPECT_EQ(tables.StartPointList[35], (PixelPoint{6, 4}));
    EXPECT_EQ(tables.StartPointList[36], (PixelPoint{-1, 0}));
    EXPECT_EQ(tables.StartPointList[0], (PixelPoint{0, 0}));
}

TEST(ScanPicture, DarkModeThresholdIsInclusiveForEveryChannelOnItsOwn) {
    const ExtractionSettings settings = Mode(1, 10);
    EXPECT_TRUE(ScansAsLine(QColor(10, 10, 10), settings));
    EXPECT_FALSE(ScansAsLine(QColor(11, 0, 0), settings));
    EXPECT_FALSE(ScansAsLine(QColor(0, 11, 0), settings));
    EXPECT_FALSE(ScansAsLine(QColor(0, 0, 11), settings));
    EXPECT_FALSE(ScansAsLine(QColor(255, 0, 0), Mode(1)));
    EXPECT_TRUE(ScansAsLine(QColor(80, 80, 80), Mode(1)));
}

TEST(ScanPicture, NonWhiteModeTakesEveryPixelWithOneChannelBelowTheWhiteThreshold) {
    const ExtractionSettings settings = Mode(2);
    EXPECT_FALSE(ScansAsLine(QColor(240, 240, 240), settings));
    EXPECT_FALSE(ScansAsLine(QColor(250, 250, 250), settings));
    EXPECT_TRUE(ScansAsLine(QColor(239, 255, 255), settings));
    EXPECT_TRUE(ScansAsLine(QColor(255, 239, 255), settings));
    EXPECT_TRUE(ScansAsLine(QColor(255, 255, 239), settings));
    EXPECT_TRUE(ScansAsLine(QColor(255, 0, 0), settings));
}

TEST(ScanPicture, OtherModesExtractNothingButStillMarkEveryPixelRead) {
    for (int mode : {0, 3, -1}) {
        ScanTables tables;
        ScanPicture(FilledPicture(4, 3, Qt::black), Mode(mode), tables);
        EXPECT_EQ(tables.StartPointCount, 0) << "mode " << mode;
        EXPECT_EQ(tables.StartPointList[1].X, -1);
        EXPECT_FALSE(tables.PixelMap(3, 2).IsLine);
        EXPECT_TRUE(tables.PixelMap(3, 2).Undrawn);
    }
}

TEST(ScanPicture, InvalidColourIsALinePixelInBothModes) {
    const ColorParts invalid = SplitRGB(kInvalidColour);
    EXPECT_TRUE(IsLinePixel(invalid, Mode(1)));
    EXPECT_TRUE(IsLinePixel(invalid, Mode(2)));
    EXPECT_FALSE(IsLinePixel(invalid, Mode(3)));
    EXPECT_TRUE(IsLinePixel(SplitRGB(PackRGB(239, 255, 255)), Mode(2)));
    EXPECT_FALSE(IsLinePixel(SplitRGB(PackRGB(81, 0, 0)), Mode(1)));
}

TEST(ScanPicture, StartPointsComeInRasterOrder) {
    ScanTables tables;
    ScanPicture(PictureWith(8, 3, {{5, 0}, {1, 1}, {0, 1}}), Mode(1), tables);
    ASSERT_EQ(tables.StartPointCount, 3);
    EXPECT_EQ(tables.StartPointList[1], (PixelPoint{5, 0}));
    EXPECT_EQ(tables.StartPointList[2], (PixelPoint{0, 1}));
    EXPECT_EQ(tables.StartPointList[3], (PixelPoint{1, 1}));
    EXPECT_EQ(tables.StartPointList[4], (PixelPoint{-1, 0}));
    for (std::size_t i = 5; i < tables.StartPointList.size(); ++i) {
        EXPECT_EQ(tables.StartPointList[i], (PixelPoint{0, 0})) << "entry " << i;
    }
}

TEST(ScanPicture, NarrowPictureStillGetsSixHundredAndOneColumnsAndOneExtraRow) {
    ScanTables tables;
    ScanPicture(FilledPicture(100, 20, Qt::black), Mode(1), tables);
    EXPECT_EQ(tables.MaxX, 99);
    EXPECT_EQ(tables.MaxY, 19);
    EXPECT_EQ(tables.PixelMap.columns(), 601);
    EXPECT_EQ(tables.PixelMap.rows(), 21);
    EXPECT_TRUE(tables.PixelMap(99, 19).IsLine);
    EXPECT_TRUE(tables.PixelMap(99, 19).Undrawn);
    for (int x : {100, 101, 600}) {
        EXPECT_FALSE(tables.PixelMap(x, 5).IsLine) << x;
        EXPECT_FALSE(tables.PixelMap(x, 5).Undrawn) << x;
    }
    for (int x : {0, 50, 600}) {
        EXPECT_FALSE(tables.PixelMap(x, 20).IsLine) << x;
        EXPECT_FALSE(tables.PixelMap(x, 20).Undrawn) << x;
    }
}

TEST(ScanPicture, RescanReplacesEverythingTheLastScanLeft) {
    ScanTables tables;
    ScanPicture(FilledPicture(600, 480, Qt::black), Mode(1), tables);
    tables.PixelMap(3, 3).Undrawn = false;
    ScanPicture(PictureWith(50, 40, {{2, 1}}), Mode(1), tables);
    EXPECT_EQ(tables.StartPointCount, 1);
    ASSERT_EQ(tables.StartPointList.size(), 50u * 40u + 2u);
    EXPECT_EQ(tables.StartPointList[1], (PixelPoint{2, 1}));
    EXPECT_EQ(tables.StartPointList[2], (PixelPoint{-1, 0}));
    for (std::size_t i = 3; i < tables.StartPointList.size(); ++i) {
        ASSERT_EQ(tables.StartPointList[i], (PixelPoint{0, 0})) << "entry " << i;
    }
    EXPECT_TRUE(tables.PixelMap(3, 3).Undrawn);
    EXPECT_FALSE(tables.PixelMap(3, 3).IsLine);
    EXPECT_EQ(tables.PixelMap.rows(), 41);
    for (int x = 50; x <= 600; ++x) {
        ASSERT_FALSE(tables.PixelMap(x, 1).IsLine || tables.PixelMap(x, 1).Undrawn) << x;
        ASSERT_FALSE(tables.PixelMap(x, 40).IsLine || tables.PixelMap(x, 40).Undrawn) << x;
    }
}

TEST(ScanPicture, ReadsPicturesOfOtherFormatsByTheirColours) {
    QImage picture(3, 1, QImage::Format_RGB888);
    picture.fill(Qt::white);
    picture.setPixelColor(1, 0, QColor(20, 30, 40));
    ScanTables tables;
    ScanPicture(picture, Mode(1), tables);
    ASSERT_EQ(tables.StartPointCount, 1);
    EXPECT_EQ(tables.StartPointList[1], (PixelPoint{1, 0}));
}

TEST(ScanPicture, WiderPictureThanTheTableIsCutAtItsLastColumn) {
    ScanTables tables;
    ScanPicture(FilledPicture(700, 2, Qt::black), Mode(1), tables);
    EXPECT_EQ(tables.MaxX, 600);
    EXPECT_EQ(tables.StartPointCount, 601 * 2);
    EXPECT_EQ(tables.StartPointList[601 * 2 + 1].X, -1);
}

TEST(ScanPicture, EmptyPictureGivesAnEmptyList) {
    ScanTables tables;
    ScanPicture(QImage(), Mode(1), tables);
    EXPECT_EQ(tables.StartPointCount, 0);
    ASSERT_EQ(tables.StartPointList.size(), 2u);
    EXPECT_EQ(tables.StartPointList[1].X, -1);
}

TEST(ScanPicture, AgreesWithThePixelRuleOnRandomPicturesForEveryThreshold) {
    // Widths that leave a remainder after groups of sixteen, colours near the thresholds, and
    // long dark runs, so that every path of the row scan is taken.
    unsigned seed = 7;
    auto next = [&seed] {
        seed = seed * 1103515245U + 12345U;
        return (seed >> 8) & 0xFFFFU;
    };
    for (int width : {1, 15, 16, 37, 600}) {
        QImage picture(width, 9, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < width; ++x) {
                const int base = (y == 3) ? 0 : static_cast<int>(next() % 256);
                auto near = [&] {
                    return std::clamp(base + static_cast<int>(next() % 5) - 2, 0, 255);
                };
                picture.setPixel(x, y, qRgb(near(), near(), near()));
            }
        }
        for (const ExtractionSettings& settings :
             {Mode(1, 80), Mode(1, 0), Mode(1, 255), Mode(1, 300), Mode(1, -1), Mode(2, 240, 240),
              Mode(2, 80, 1), Mode(2, 80, 0), Mode(2, 80, 255), Mode(2, 80, 256),
              Mode(2, 80, 999)}) {
            ScanTables tables;
            ScanPicture(picture, settings, tables);
            std::int32_t expected = 0;
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < width; ++x) {
                    const bool line = IsLinePixel(
                        SplitRGB(PackRGB(qRed(picture.pixel(x, y)), qGreen(picture.pixel(x, y)),
                                         qBlue(picture.pixel(x, y)))),
                        settings);
                    ASSERT_EQ(tables.PixelMap(x, y).IsLine, line)
                        << "width " << width << " mode " << settings.PickUpPattern << " (" << x
                        << ", " << y << ")";
                    ASSERT_TRUE(tables.PixelMap(x, y).Undrawn);
                    if (line) {
                        ++expected;
                        ASSERT_EQ(tables.StartPointList[static_cast<std::size_t>(expected)],
                                  (PixelPoint{static_cast<std::int16_t>(x),
                                              static_cast<std::int16_t>(y)}));
                    }
                }
            }
            ASSERT_EQ(tables.StartPointCount, expected);
            ASSERT_EQ(tables.StartPointList[static_cast<std::size_t>(expected) + 1].X, -1);
        }
    }
}

}  // namespace
}  // namespace stylorex
