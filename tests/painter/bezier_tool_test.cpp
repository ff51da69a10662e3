#include "painter/canvas_drawing.h"
#include "painter_fixture.h"

namespace stylorex {
namespace {

class BezierTool_ : public PainterFixture {
  protected:
    void SetUp() override {
        PainterFixture::SetUp();
        selectTool(kToolBezier);
    }
    const BezierTool& bez() { return painter->bezier(); }
    void layOutFirstCurve() {
        press(QPointF(100, 100));
        move(QPointF(150, 100));
        move(QPointF(200, 100));
        release(QPointF(200, 100));
    }
    QImage curveAlone(int width, int style) {
        PictureBox reference;
        reference.setCanvasSize(pic->ScaleWidth(), pic->ScaleHeight());
        reference.setDrawWidth(width);
        reference.setDrawStyle(style);
        PolyBezier(reference, bez().BezPoints());
        return reference.persistentImage();
    }
};

TEST_F(BezierTool_, FirstDragLaysOutTheCurveWithHandles) {
    layOutFirstCurve();
    const std::array<QPoint, 4> expected = {QPoint(100, 98), QPoint(100, 80), QPoint(100, 120),
                                            QPoint(200, 100)};
    EXPECT_EQ(bez().BezPoints(), expected);
    EXPECT_EQ(bez().BezState(), 1);
    const BezRect& h1 = bez().BezHandles()[1];
    EXPECT_EQ(h1.left, 94);
    EXPECT_EQ(h1.top, 74);
    EXPECT_EQ(h1.right, 106);
    EXPECT_EQ(h1.bottom, 86);

    // Preview only: red boxes round start and end, green ones round the control points.
    EXPECT_EQ(CountNotWhite(persistent()), 0);
    EXPECT_TRUE(pixelIs(screen(), 94, 95, Qt::red));    // left edge of handle 0
    EXPECT_TRUE(pixelIs(screen(), 194, 100, Qt::red));  // left edge of handle 3 (clipped right)
    EXPECT_TRUE(pixelIs(screen(), 94, 78, QColor(0, 255, 0)));   // handle 1
    EXPECT_TRUE(pixelIs(screen(), 94, 118, QColor(0, 255, 0)));  // handle 2
    // The arm between P2 and P3 is dotted green: outside the boxes green and white alternate.
    const QRect arm(108, 100, 84, 21);
    EXPECT_GT(CountPixels(screen(), IsGreen, arm), 15);
    EXPECT_LT(CountPixels(screen(), IsGreen, arm), 50);
    EXPECT_FALSE(pic->AutoRedraw());
    EXPECT_EQ(pic->DrawWidth(), 1);
}

TEST_F(BezierTool_, PressInsideTheHandleEdgeGrabsItAndMovesThePoint) {
    layOutFirstCurve();
    press(QPointF(105, 85));
    EXPECT_TRUE(bez().BezGrabbed());
    EXPECT_EQ(bez().BezGrabIndex(), 1);
    move(QPointF(60, 30));
    EXPECT_EQ(bez().BezPoints()[1], QPoint(60, 30));
    EXPECT_TRUE(pixelIs(screen(), 54, 30, QColor(0, 255, 0)));  // the box moved with it
    EXPECT_FALSE(pixelIs(screen(), 94, 78, QColor(0, 255, 0)));
    release(QPointF(60, 30));
    EXPECT_EQ(bez().BezState(), 2);
    EXPECT_EQ(CountNotWhite(persistent()), 0);
}

TEST_F(BezierTool_, PressJustOutsideEveryHandleCommitsWithoutHandlesOrArms) {
    setWidth(3);
    layOutFirstCurve();
    EXPECT_EQ(pic->DrawWidth(), 3);  // the user's pen is back after the handles
    press(QPointF(106, 86));
    EXPECT_FALSE(bez().BezGrabbed());
    EXPECT_EQ(bez().BezState(), -1);
    EXPECT_TRUE(SameImage(persistent(), curveAlone(3, 0)));
    EXPECT_EQ(CountPixels(persistent(), IsRed), 0);
    EXPECT_EQ(CountPixels(persistent(), IsGreen), 0);
    EXPECT_TRUE(SameImage(screen(), persistent()));
    EXPECT_FALSE(pic->AutoRedraw());

    // A move after the commit does nothing; the release makes the tool ready; the next press
    // starts a new curve.
    move(QPointF(150, 150));
    EXPECT_TRUE(SameImage(screen(), persistent()));
    release(QPointF(150, 150));
    EXPECT_EQ(bez().BezState(), 0);
    const QImage committed = persistent();
    press(QPointF(30, 150));
    EXPECT_EQ(bez().BezPoints()[0], QPoint(30, 148));
    EXPECT_EQ(bez().BezPoints()[3], QPoint(30, 150));
    release(QPointF(30, 150));
    EXPECT_EQ(bez().BezState(), 1);
    EXPECT_TRUE(SameImage(persistent(), committed));
}

TEST_F(BezierTool_, CommitUsesTheUsersDottedStyleAtWidthOne) {
    setStyle(2);
    layOutFirstCurve();
    EXPECT_EQ(pic->DrawStyle(), 2);
    click(QPointF(20, 20));
    EXPECT_TRUE(SameImage(persistent(), curveAlone(1, 2)));
    EXPECT_LT(CountNotWhite(persistent()), CountNotWhite(curveAlone(1, 0)) * 3 / 4);
}

TEST_F(BezierTool_, OverlappingHandlesGiveTheLowerIndex) {
    click(QPointF(100, 100));  // handles 0 (100, 98) and 3 (100, 100) overlap
    ASSERT_EQ(bez().BezState(), 1);
    press(QPointF(100, 100));
    EXPECT_TRUE(bez().BezGrabbed());
    EXPECT_EQ(bez().BezGrabIndex(), 0);
    release(QPointF(100, 100));
    press(QPointF(100, 104));  // only inside handle 3
    EXPECT_EQ(bez().BezGrabIndex(), 3);
    release(QPointF(100, 104));
}

TEST_F(BezierTool_, PressAndReleaseWithoutMovingLaysOutAShortCurve) {
    click(QPointF(60, 70));
    const std::array<QPoint, 4> expected = {QPoint(60, 68), QPoint(60, 50), QPoint(60, 90),
                                            QPoint(60, 70)};
    EXPECT_EQ(bez().BezPoints(), expected);
    EXPECT_EQ(bez().BezState(), 1);
    EXPECT_GT(CountPixels(screen(), IsRed), 0);
    EXPECT_EQ(CountNotWhite(persistent()), 0);
}

TEST_F(BezierTool_, CurveUnderEditSurvivesAChangeOfTool) {
    layOutFirstCurve();
    selectTool(kToolLine);
    drag(QPointF(10, 180), QPointF(60, 180));
    ASSERT_EQ(CountPixels(screen(), IsRed), 0) << "the line's preview cleared the curve's";
    selectTool(kToolBezier);
    EXPECT_EQ(bez().BezState(), 1);
    // Shown again with its handles, on the screen only.
    EXPECT_GT(CountPixels(screen(), IsRed), 0);
    EXPECT_EQ(CountPixels(persistent(), IsRed), 0);
    press(QPointF(200, 100));
    EXPECT_TRUE(bez().BezGrabbed());
    EXPECT_EQ(bez().BezGrabIndex(), 3);
    release(QPointF(200, 100));
    click(QPointF(20, 20));
    EXPECT_EQ(bez().BezState(), 0);
    EXPECT_GT(CountNotWhite(persistent(), QRect(100, 60, 100, 60)), 50);  // the old curve
    EXPECT_EQ(CountNotWhite(persistent(), QRect(10, 180, 51, 1)), 51);    // and the line
}

TEST_F(BezierTool_, StateStopsCountingAtTheSixteenBitLimit) {
    layOutFirstCurve();
    for (int i = 0; i < 40000; ++i) {
        painter->bezier().BezierMouseUp();
    }
    EXPECT_EQ(bez().BezState(), 32767);
    press(QPointF(200, 100));
    EXPECT_TRUE(bez().BezGrabbed());
}

TEST_F(BezierTool_, StyleChangedDuringAnEditShowsInTheNextPreview) {
    layOutFirstCurve();
    setStyle(1);
    press(QPointF(200, 100));
    move(QPointF(190, 60));
    // The dashed handle box of P3 has gaps along its left edge.
    const int redOnEdge = CountPixels(screen(), IsRed, QRect(184, 54, 1, 13));
    EXPECT_GT(redOnEdge, 4);
    EXPECT_LT(redOnEdge, 13);
    release(QPointF(190, 60));
}

}  // namespace
}  // namespace stylorex
