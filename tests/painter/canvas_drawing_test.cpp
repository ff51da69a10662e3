#include "painter/canvas_drawing.h"
#include "painter/coordinates.h"
#include "painter/drawing_tools.h"
#include "painter/text_tool.h"
#include "painter_fixture.h"

#include <QFontMetrics>

namespace stylorex {
namespace {

class CanvasDrawing : public ::testing::Test {
  protected:
    CanvasDrawing() { picture.setCanvasSize(200, 200); }
    PictureBox picture;
};

TEST(Coordinates, RoundToInt16HoldsTheSixteenBitRange) {
    EXPECT_EQ(RoundToInt16(2.5), 2);
    EXPECT_EQ(RoundToInt16(40000.0), 32767);
    EXPECT_EQ(RoundToInt16(-40000.0), -32768);
}

TEST(Coordinates, Int16TextAcceptsOnlyWholeNumbersInRange) {
    EXPECT_EQ(ParseInt16(QStringLiteral("50")), std::int16_t{50});
    EXPECT_EQ(ParseInt16(QStringLiteral(" -32768 ")), std::int16_t{-32768});
    EXPECT_EQ(ParseInt16(QStringLiteral("+32767")), std::int16_t{32767});
    EXPECT_FALSE(ParseInt16(QStringLiteral("32768")));
    EXPECT_FALSE(ParseInt16(QStringLiteral("")));
    EXPECT_FALSE(ParseInt16(QStringLiteral("1.5")));
    EXPECT_FALSE(ParseInt16(QStringLiteral("abc")));
    EXPECT_FALSE(ParseInt16(QStringLiteral("99999999999999999999")));
}

TEST(Geometry, DistancesAndTheEllipseAspect) {
    EXPECT_FLOAT_EQ(AbsDiff(3.0f, 10.5f), 7.5f);
    EXPECT_FLOAT_EQ(PointDistance(0, 0, 3, 4), 5.0f);
    EXPECT_FALSE(EllipseAspect(0.0f, 10.0f));
    EXPECT_FLOAT_EQ(*EllipseAspect(20.0f, 5.0f), 0.25f);
}

TEST_F(CanvasDrawing, OnePixelLineIsElevenBlackPixelsAndNothingElse) {
    DrawLine(picture, QPoint(10, 10), QPoint(20, 10), Qt::black);
    EXPECT_EQ(CountNotWhite(picture.persistentImage()), 11);
    EXPECT_EQ(CountPixels(picture.persistentImage(), IsBlack, QRect(10, 10, 11, 1)), 11);
    EXPECT_TRUE(SameImage(picture.screenImage(), picture.persistentImage()));
}

TEST_F(CanvasDrawing, DiagonalLineHitsBothEndPointsWithoutGrey) {
    DrawLine(picture, QPoint(10, 10), QPoint(30, 25), Qt::black);
    const QImage& image = picture.persistentImage();
    EXPECT_TRUE(IsBlack(image.pixel(10, 10)));
    EXPECT_TRUE(IsBlack(image.pixel(30, 25)));
    EXPECT_EQ(CountNotWhite(image), 21);  // one pixel per column
    EXPECT_EQ(CountPixels(image, IsBlack), CountNotWhite(image));
}

TEST_F(CanvasDrawing, DotIsExactlyAsWideAsThePenAndRound) {
    for (int width = 1; width <= 20; ++width) {
        picture.setAutoRedraw(true);
        picture.Cls();
        picture.setDrawWidth(width);
        DrawDot(picture, QPoint(100, 100), Qt::black);
        const QImage& image = picture.persistentImage();
        const QRect bounds = BlackBounds(image);
        SCOPED_TRACE(width);
        EXPECT_EQ(bounds.width(), width);
        EXPECT_EQ(bounds.height(), width);
        EXPECT_TRUE(bounds.contains(100, 100));
        EXPECT_EQ(CountPixels(image, IsBlack), CountNotWhite(image));
        if (width >= 4) {
            EXPECT_TRUE(IsWhite(image.pixel(bounds.topLeft())));
            EXPECT_TRUE(IsWhite(image.pixel(bounds.bottomRight())));
            EXPECT_TRUE(IsBlack(image.pixel(bounds.center())));
        }
    }
    picture.setDrawWidth(1);
    picture.Cls();
    DrawDot(picture, QPoint(7, 9), Qt::black);
    EXPECT_EQ(CountNotWhite(picture.persistentImage()), 1);
    EXPECT_TRUE(IsBlack(picture.persistentImage().pixel(7, 9)));
}

TEST_F(CanvasDrawing, RectangleLeavesOutRightAndBottomEdgesInAnyCornerOrder) {
    Rectangle(picture, 20, 30, 60, 50);
    const QImage first = picture.persistentImage();
    EXPECT_EQ(BlackBounds(first), QRect(QPoint(20, 30), QPoint(59, 49)));
    EXPECT_EQ(CountNotWhite(first), 2 * 40 + 2 * 20 - 4);
    EXPECT_EQ(CountNotWhite(first, QRect(QPoint(21, 31), QPoint(58, 48))), 0);  // hollow

    picture.Cls();
    Rectangle(picture, 60, 50, 20, 30);
    EXPECT_TRUE(SameImage(picture.persistentImage(), first));

    picture.Cls();
    Rectangle(picture, 20, 30, 20, 80);
    EXPECT_EQ(CountNotWhite(picture.persistentImage()), 0);
}

TEST_F(CanvasDrawing, RectangleUsesTheForeColour) {
    picture.setForeColor(Qt::white);
    picture.setPicture(QImage());
    QImage black = MakeCanvasImage(200, 200);
    black.fill(Qt::black);
    picture.setPicture(black);
    Rectangle(picture, 10, 10, 20, 20);
    EXPECT_EQ(CountPixels(picture.persistentImage(), IsWhite), 36);
}

TEST_F(CanvasDrawing, EllipseAspectPicksTheLongSemiAxis) {
    DrawEllipseOutline(picture, QPoint(100, 100), 40, Qt::black, 0.5);
    QRect bounds = BlackBounds(picture.persistentImage());
    EXPECT_EQ(bounds, QRect(QPoint(60, 80), QPoint(140, 120)));

    picture.Cls();
    DrawEllipseOutline(picture, QPoint(100, 100), 40, Qt::black, 2.0);
    bounds = BlackBounds(picture.persistentImage());
    EXPECT_EQ(bounds, QRect(QPoint(80, 60), QPoint(120, 140)));

    picture.Cls();
    DrawEllipseOutline(picture, QPoint(100, 100), 30, Qt::black, 0.0);
    EXPECT_EQ(CountNotWhite(picture.persistentImage()), 61);
    EXPECT_EQ(BlackBounds(picture.persistentImage()), QRect(QPoint(70, 100), QPoint(130, 100)));
}

TEST_F(CanvasDrawing, WithAutoRedrawOffOnlyTheScreenIsDrawn) {
    picture.setAutoRedraw(false);
    DrawLine(picture, QPoint(10, 10), QPoint(20, 10), Qt::black);
    DrawDot(picture, QPoint(50, 50), Qt::black);
    EXPECT_EQ(CountNotWhite(picture.persistentImage()), 0);
    EXPECT_EQ(CountNotWhite(picture.screenImage()), 12);
    picture.Cls();
    EXPECT_EQ(CountNotWhite(picture.screenImage()), 0);
}

TEST_F(CanvasDrawing, PrintedTextIsPureBlackAndMovesThePositionDown) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(12);
    picture.setFont(font);
    picture.setCurrentX(20);
    picture.setCurrentY(30);
    PrintText(picture, QStringLiteral("Wg\r\nMO"));
    const QImage& image = picture.persistentImage();
    const int lineHeight = QFontMetrics(CanvasFont(picture)).height();
    EXPECT_GT(CountPixels(image, IsBlack), 20);
    EXPECT_EQ(CountPixels(image, IsBlack), CountNotWhite(image));  // no antialiasing grey
    EXPECT_EQ(picture.CurrentX(), 0);
    EXPECT_EQ(picture.CurrentY(), 30 + 2 * lineHeight);
    const QRect bounds = BlackBounds(image);
    EXPECT_GE(bounds.top(), 30);
    EXPECT_LT(bounds.bottom(), 30 + 2 * lineHeight);
    // The second line starts at the left edge.
    EXPECT_LT(bounds.left(), 5);
    EXPECT_GT(CountNotWhite(image, QRect(20, 30, 40, lineHeight)), 0);
    EXPECT_EQ(CountNotWhite(image, QRect(0, 30, 19, lineHeight)), 0);
}

TEST_F(CanvasDrawing, OpaqueTextFillsItsCellWithTheBackground) {
    QImage black = MakeCanvasImage(200, 200);
    black.fill(Qt::black);
    picture.setPicture(black);
    picture.setFontTransparent(false);
    picture.setForeColor(Qt::black);
    picture.setCurrentX(10);
    picture.setCurrentY(10);
    PrintText(picture, QStringLiteral("ii"));
    EXPECT_GT(CountPixels(picture.persistentImage(), IsWhite), 20);

    picture.setFontTransparent(true);
    picture.Cls();
    picture.setCurrentX(10);
    picture.setCurrentY(10);
    PrintText(picture, QStringLiteral("ii"));
    EXPECT_EQ(CountPixels(picture.persistentImage(), IsWhite), 0);
}

}  // namespace
}  // namespace stylorex
