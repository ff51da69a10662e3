#include "canvas/picture_fit.h"

#include "canvas/canvas_image.h"

#include <gtest/gtest.h>

#include <set>

namespace stylorex {
namespace {

// Black line art on white: a frame round the picture and a one-pixel diagonal inside.
QImage framedDiagonal(int width, int height) {
    QImage image = MakeCanvasImage(width, height);
    for (int x = 0; x < width; ++x) {
        image.setPixel(x, 0, qRgb(0, 0, 0));
        image.setPixel(x, height - 1, qRgb(0, 0, 0));
    }
    for (int y = 0; y < height; ++y) {
        image.setPixel(0, y, qRgb(0, 0, 0));
        image.setPixel(width - 1, y, qRgb(0, 0, 0));
        image.setPixel(y * (width - 1) / (height - 1), y, qRgb(0, 0, 0));
    }
    return image;
}

std::set<QRgb> coloursOf(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return colours;
}

TEST(PictureFit, LineArtScaledDownKeepsEveryLineAndMixesNoColour) {
    const QImage picture = framedDiagonal(700, 500);
    const QImage fitted = FitPictureWithin(picture, QSize(600, 480), PictureScaling::LineArt);
    ASSERT_EQ(fitted.size(), QSize(600, 429));
    EXPECT_EQ(coloursOf(fitted), (std::set<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
    // The frame's four sides survive whole, and the diagonal crosses every row.
    for (int x = 0; x < fitted.width(); ++x) {
        EXPECT_EQ(fitted.pixel(x, 0), qRgb(0, 0, 0)) << x;
        EXPECT_EQ(fitted.pixel(x, fitted.height() - 1), qRgb(0, 0, 0)) << x;
    }
    for (int y = 1; y + 1 < fitted.height(); ++y) {
        EXPECT_EQ(fitted.pixel(0, y), qRgb(0, 0, 0)) << y;
        EXPECT_EQ(fitted.pixel(fitted.width() - 1, y), qRgb(0, 0, 0)) << y;
        int dark = 0;
        for (int x = 1; x + 1 < fitted.width(); ++x) {
            dark += fitted.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
        }
        EXPECT_GE(dark, 1) << y;
    }
    // Smoothing is for photos: it mixes greys in.
    EXPECT_GT(coloursOf(FitPictureWithin(picture, QSize(600, 480), PictureScaling::Smooth)).size(),
              2u);
}

TEST(PictureFit, APictureThatFitsStaysAsItIsAndOneEnlargedRepeatsItsPixels) {
    const QImage picture = framedDiagonal(50, 40);
    EXPECT_EQ(FitPictureWithin(picture, QSize(600, 480), PictureScaling::LineArt), picture);

    const QSize doubled = FittedSize(picture.size(), QSize(100, 300));
    ASSERT_EQ(doubled, QSize(100, 80));
    const QImage enlarged = ScalePicture(picture, doubled, PictureScaling::LineArt);
    for (int y = 0; y < enlarged.height(); ++y) {
        for (int x = 0; x < enlarged.width(); ++x) {
            ASSERT_EQ(enlarged.pixel(x, y), picture.pixel(x / 2, y / 2)) << x << "," << y;
        }
    }
}

TEST(PictureFit, NonWhiteBoundsFindTheDrawingOrNothing) {
    QImage image = MakeCanvasImage(200, 100);
    EXPECT_TRUE(NonWhiteBounds(image).isNull());
    image.setPixel(30, 40, qRgb(254, 255, 255));
    image.setPixel(120, 60, qRgb(0, 0, 0));
    EXPECT_EQ(NonWhiteBounds(image), QRect(QPoint(30, 40), QPoint(120, 60)));
}

}  // namespace
}  // namespace stylorex
