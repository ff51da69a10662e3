#include "engine/colour_reduction.h"

#include "engine/pixel_scan.h"

#include <gtest/gtest.h>

#include <QImage>

namespace stylorex {
namespace {

const QRgb kRed = qRgb(220, 30, 30);
const QRgb kGreen = qRgb(30, 160, 60);
const QRgb kBlue = qRgb(40, 60, 200);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

QImage row(std::initializer_list<QRgb> colours) {
    QImage image(static_cast<int>(colours.size()), 1, QImage::Format_RGB32);
    int x = 0;
    for (const QRgb c : colours) {
        image.setPixel(x++, 0, c);
    }
    return image;
}

std::vector<int> inksOf(const ReducedPicture& reduced) {
    return {reduced.ink.begin(), reduced.ink.end()};
}

TEST(ColourReduction, EachPixelTakesItsNearestInkAndCanvasColouredPixelsAreNeverDrawn) {
    const InkColours colours{{kRed, kGreen, kBlue, kBlack}, kWhite};
    const QImage picture = row({kRed, qRgb(240, 120, 40), kGreen, qRgb(90, 200, 120), kBlue,
                                qRgb(30, 30, 40), kWhite, qRgb(250, 248, 245), kBlack});
    const ReducedPicture reduced = ReduceToInks(picture, colours, Dithering::Nearest);
    EXPECT_EQ(inksOf(reduced), (std::vector<int>{0, 0, 1, 1, 2, 3, -1, -1, 3}));
    EXPECT_EQ(reduced.counts(4), (std::vector<std::int32_t>{2, 2, 1, 2}));
}

TEST(ColourReduction, TiesGoToTheBackgroundFirstThenToTheEarlierInk) {
    // The same colour twice: the earlier swatch draws it. An ink of the canvas's own colour can
    // never show, so the background keeps those pixels.
    const ReducedPicture twice =
        ReduceToInks(row({kRed, kBlack}), {{kRed, kBlack, kRed}, kWhite}, Dithering::Nearest);
    EXPECT_EQ(inksOf(twice), (std::vector<int>{0, 1}));
    const ReducedPicture canvasInk =
        ReduceToInks(row({kWhite, kBlack}), {{kWhite, kBlack}, kWhite}, Dithering::Nearest);
    EXPECT_EQ(inksOf(canvasInk), (std::vector<int>{-1, 1}));
}

// A black-and-white picture with black as the only ink is exactly what the dark-pixel scan
// takes as lines.
TEST(ColourReduction, BlackAndWhitePictureWithABlackInkMatchesTheDarkPixelScan) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(kWhite);
    for (int i = 0; i < 30; ++i) {
        picture.setPixel(i, i, kBlack);
        picture.setPixel(39 - i, i / 2, kBlack);
    }
    const ReducedPicture reduced =
        ReduceToInks(picture, {{kBlack}, kWhite}, Dithering::ErrorDiffusion);
    ScanTables fromMask;
    ScanTables fromPicture;
    ScanPicture(reduced.mask(0), ExtractionSettings{}, fromMask);
    ScanPicture(picture, ExtractionSettings{}, fromPicture);
    ASSERT_EQ(fromMask.StartPointCount, fromPicture.StartPointCount);
    EXPECT_EQ(fromMask.StartPointList, fromPicture.StartPointList);
}

// A grey ramp from black to white, 64 wide, 8 high, with black as the only ink: the share of
// black pixels in each column.
std::vector<double> blackShareByColumn(Dithering dithering) {
    QImage ramp(64, 8, QImage::Format_RGB32);
    for (int x = 0; x < 64; ++x) {
        const int v = x * 255 / 63;
        for (int y = 0; y < 8; ++y) {
            ramp.setPixel(x, y, qRgb(v, v, v));
        }
    }
    const ReducedPicture reduced = ReduceToInks(ramp, {{kBlack}, kWhite}, dithering);
    std::vector<double> shares;
    for (int x = 0; x < 64; ++x) {
        int black = 0;
        for (int y = 0; y < 8; ++y) {
            black += reduced.at(x, y) == 0 ? 1 : 0;
        }
        shares.push_back(black / 8.0);
    }
    return shares;
}

TEST(ColourReduction, DitheringMixesBlackAndCanvasAlongAGreyRamp) {
    const std::vector<double> plain = blackShareByColumn(Dithering::Nearest);
    const auto edge = std::find(plain.begin(), plain.end(), 0.0) - plain.begin();
    // Without dithering: a hard edge, black where the grey is darker than middle grey.
    EXPECT_GT(edge, 16);
    EXPECT_LT(edge, 40);
    EXPECT_TRUE(std::all_of(plain.begin(), plain.begin() + edge, [](double s) { return s == 1; }));
    EXPECT_TRUE(std::all_of(plain.begin() + edge, plain.end(), [](double s) { return s == 0; }));

    for (const Dithering dithering : {Dithering::Ordered, Dithering::ErrorDiffusion}) {
        SCOPED_TRACE(static_cast<int>(dithering));
        const std::vector<double> shares = blackShareByColumn(dithering);
        EXPECT_EQ(shares.front(), 1.0);
        EXPECT_EQ(shares.back(), 0.0);
        // Mixed columns all along the middle, and over blocks of four columns the black share
        // falls as the grey lightens.
        const auto mixed =
            std::count_if(shares.begin(), shares.end(), [](double s) { return s > 0 && s < 1; });
        EXPECT_GT(mixed, 24);
        double previous = 8;
        for (int x = 0; x < 64; x += 8) {
            double block = 0;
            for (int i = 0; i < 8; ++i) {
                block += shares[static_cast<std::size_t>(x + i)];
            }
            EXPECT_LE(block, previous + 0.5) << "columns " << x << " to " << x + 7;
            previous = block;
        }
    }
}

}  // namespace
}  // namespace stylorex
