#include "painter/text_tool.h"
#include "painter_fixture.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <vector>

namespace stylorex {
namespace {

using DrawingTools_ = PainterFixture;

TEST_F(DrawingTools_, StartUpListsTheToolsWithTheirPositionsAndSelectsThePencil) {
    const QStringList names = {"文字", "鉛筆", "直線",   "四角",
                               "正円", "楕円", "ベジェ", "消しゴム"};
    ASSERT_EQ(c.cmbMethod->count(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(c.cmbMethod->itemText(i), names[i]);
        EXPECT_EQ(c.cmbMethod->itemData(i).toInt(), i);
    }
    EXPECT_EQ(c.cmbMethod->currentIndex(), 1);
    EXPECT_EQ(painter->tools().DrawMethod(), kToolPencil);
    selectTool(kToolEllipse);
    EXPECT_EQ(painter->tools().DrawMethod(), kToolEllipse);
}

TEST_F(DrawingTools_, PencilClickLeavesOneDotOfTheCurrentWidth) {
    click(QPointF(50, 60));
    EXPECT_EQ(CountNotWhite(persistent()), 1);
    EXPECT_TRUE(pixelIs(persistent(), 50, 60, Qt::black));

    setWidth(7);
    click(QPointF(120, 120));
    const QRect dot = BlackBounds(persistent().copy(100, 100, 100, 100));
    EXPECT_EQ(dot.size(), QSize(7, 7));
    EXPECT_TRUE(pixelIs(persistent(), 120, 120, Qt::black));
    EXPECT_TRUE(SameImage(screen(), persistent()));
    EXPECT_FALSE(pic->AutoRedraw());
}

TEST_F(DrawingTools_, PencilCoordinatesRoundHalvesToEven) {
    click(QPointF(10.5, 11.5));
    EXPECT_EQ(BlackBounds(persistent()), QRect(10, 12, 1, 1));
}

TEST_F(DrawingTools_, PencilDotsOfAFastStrokeAreNotJoined) {
    press(QPointF(10, 10));
    move(QPointF(30, 10));
    move(QPointF(50, 10));
    release(QPointF(50, 10));
    EXPECT_EQ(CountNotWhite(persistent()), 3);
    EXPECT_TRUE(pixelIs(persistent(), 30, 10, Qt::black));
}

TEST_F(DrawingTools_, LineDragDrawsOnceWhereTheLastPreviewStood) {
    selectTool(kToolLine);
    press(QPointF(10, 10));
    move(QPointF(150, 180));
    EXPECT_EQ(CountNotWhite(persistent()), 0);  // previews never touch the persistent image
    EXPECT_GT(CountNotWhite(screen()), 100);
    move(QPointF(60, 90));
    move(QPointF(20, 10));
    const QImage lastPreview = screen();
    release(QPointF(20, 10));
    EXPECT_EQ(CountNotWhite(persistent()), 11);
    EXPECT_EQ(CountPixels(persistent(), IsBlack, QRect(10, 10, 11, 1)), 11);
    EXPECT_TRUE(SameImage(persistent(), lastPreview));
    EXPECT_TRUE(SameImage(screen(), persistent()));
    EXPECT_FALSE(pic->AutoRedraw());
}

TEST_F(DrawingTools_, ReleaseAwayFromTheLastMoveLeavesNoStalePreview) {
    selectTool(kToolLine);
    press(QPointF(10, 10));
    move(QPointF(100, 100));
    release(QPointF(10, 50));
    EXPECT_TRUE(SameImage(screen(), persistent()));
    EXPECT_EQ(CountNotWhite(persistent()), 41);
}

TEST_F(DrawingTools_, RectangleIsTheSameInBothDragDirections) {
    selectTool(kToolRectangle);
    drag(QPointF(20, 30), QPointF(60, 50));
    const QImage forwards = persistent();
    EXPECT_EQ(BlackBounds(forwards), QRect(QPoint(20, 30), QPoint(59, 49)));
    EXPECT_EQ(CountNotWhite(forwards), 116);
    EXPECT_TRUE(SameImage(screen(), forwards));

    pic->setAutoRedraw(true);
    pic->Cls();
    drag(QPointF(60, 50), QPointF(20, 30));
    EXPECT_TRUE(SameImage(persistent(), forwards));
    EXPECT_FALSE(pic->AutoRedraw());
}

TEST_F(DrawingTools_, RectangleDragKeepsTheDrawingAfterClearRunOrTextButton) {
    // A picture cleared or committed, or a text button, leaves AutoRedraw on; the rectangle's
    // first preview must not wipe what was drawn before.
    click(QPointF(150, 150));
    pic->commit();  // as a run or a pattern store does
    ASSERT_TRUE(pic->AutoRedraw());
    selectTool(kToolRectangle);
    press(QPointF(20, 20));
    move(QPointF(40, 40));
    EXPECT_TRUE(pixelIs(persistent(), 150, 150, Qt::black));
    EXPECT_TRUE(pixelIs(screen(), 150, 150, Qt::black));
    release(QPointF(40, 40));
    EXPECT_TRUE(pixelIs(persistent(), 150, 150, Qt::black));

    c.txtInput->setPlainText(QStringLiteral("W"));
    c.txtTextOut[0]->setText(QStringLiteral("100"));
    c.txtTextOut[1]->setText(QStringLiteral("10"));
    c.cmdDrawZtxt[0]->click();
    ASSERT_TRUE(pic->AutoRedraw());
    const int inkBefore = CountNotWhite(persistent());
    drag(QPointF(20, 100), QPointF(60, 140));
    EXPECT_EQ(CountNotWhite(persistent()), inkBefore + 156);
}

TEST_F(DrawingTools_, CircleDragDrawsOnceAndPreviewsLeaveNoTrace) {
    selectTool(kToolCircle);
    press(QPointF(100, 100));
    move(QPointF(190, 100));
    move(QPointF(120, 100));
    release(QPointF(120, 100));
    const QImage& image = persistent();
    EXPECT_EQ(BlackBounds(image), QRect(QPoint(80, 80), QPoint(120, 120)));
    EXPECT_TRUE(pixelIs(image, 100, 100, Qt::white));
    EXPECT_TRUE(SameImage(screen(), image));
}

TEST_F(DrawingTools_, EllipseFollowsTheAspectRule) {
    selectTool(kToolEllipse);
    drag(QPointF(100, 100), QPointF(130, 110));
    // w 30, h 10: aspect 1/3 < 1, so the horizontal semi-axis is r = sqrt(1000) and the
    // vertical r / 3.
    const QRect bounds = BlackBounds(persistent());
    EXPECT_NEAR(bounds.width(), 2 * 31.62 + 1, 1.5);
    EXPECT_NEAR(bounds.height(), 2 * 10.54 + 1, 1.5);
    EXPECT_EQ(bounds.center(), QPoint(100, 100));
    EXPECT_TRUE(SameImage(screen(), persistent()));

    pic->setAutoRedraw(true);
    pic->Cls();
    drag(QPointF(100, 100), QPointF(110, 130));  // aspect 3 > 1: the vertical one is r
    const QRect tall = BlackBounds(persistent());
    EXPECT_NEAR(tall.height(), 2 * 31.62 + 1, 1.5);
    EXPECT_NEAR(tall.width(), 2 * 10.54 + 1, 1.5);
}

TEST_F(DrawingTools_, EllipseStraightBelowDrawsNothing) {
    selectTool(kToolEllipse);
    press(QPointF(100, 100));
    move(QPointF(100, 140));
    EXPECT_EQ(CountNotWhite(screen()), 0);
    release(QPointF(100, 140));
    EXPECT_EQ(CountNotWhite(persistent()), 0);
    EXPECT_EQ(CountNotWhite(screen()), 0);
    EXPECT_FALSE(pic->AutoRedraw());  // the failed step is skipped, the release completes
}

TEST_F(DrawingTools_, EllipseMovedOnlyHorizontallyIsAFlatLine) {
    selectTool(kToolEllipse);
    drag(QPointF(100, 100), QPointF(130, 100));
    EXPECT_EQ(BlackBounds(persistent()), QRect(QPoint(70, 100), QPoint(130, 100)));
    EXPECT_EQ(CountNotWhite(persistent()), 61);
}

TEST_F(DrawingTools_, EraserDrawsWhiteDotsAndLeavesTheForeColourWhite) {
    QImage black = MakeCanvasImage(200, 200);
    black.fill(Qt::black);
    pic->setPicture(black);
    setWidth(5);
    selectTool(kToolEraser);
    press(QPointF(50, 50));
    move(QPointF(80, 50));
    release(QPointF(80, 50));
    const QRect first = BoundsOf(persistent().copy(0, 0, 65, 200), IsWhite);
    EXPECT_EQ(first, QRect(48, 48, 5, 5));
    EXPECT_TRUE(pixelIs(persistent(), 80, 50, Qt::white));
    EXPECT_EQ(pic->ForeColor(), QColor(Qt::white));

    // The text buttons draw with the fore colour: white after an eraser press.
    c.txtInput->setPlainText(QStringLiteral("■"));
    c.txtTextOut[0]->setText(QStringLiteral("120"));
    c.txtTextOut[1]->setText(QStringLiteral("120"));
    const int whiteBefore = CountPixels(persistent(), IsWhite);
    c.cmdDrawZtxt[0]->click();
    EXPECT_GT(CountPixels(persistent(), IsWhite), whiteBefore + 50);

    selectTool(kToolLine);
    press(QPointF(10, 150));
    EXPECT_EQ(pic->ForeColor(), QColor(Qt::black));
    release(QPointF(10, 150));
}

TEST_F(DrawingTools_, RightReleaseShowsTheMenuAndRightDragsDrawNothing) {
    bool shown = false;
    QObject::connect(c.mnu_menu1, &QMenu::aboutToShow, [&shown] { shown = true; });
    QSignalSpy requested(&painter->tools(), &DrawingTools::contextMenuRequested);
    for (DrawTool tool : {kToolPencil, kToolLine, kToolRectangle, kToolEraser}) {
        selectTool(tool);
        press(QPointF(30, 30), Qt::RightButton);
        move(QPointF(90, 70), Qt::RightButton);
        release(QPointF(90, 70), Qt::RightButton);
        EXPECT_EQ(CountNotWhite(persistent()), 0);
        EXPECT_EQ(CountNotWhite(screen()), 0);
    }
    EXPECT_TRUE(shown);
    ASSERT_EQ(requested.count(), 4);
    EXPECT_EQ(requested.last().at(0).toPoint(), pic->mapToGlobal(QPoint(90, 70)));
    c.mnu_menu1->hide();
}

TEST_F(DrawingTools_, MovesWithBothButtonsHeldDrawNothing) {
    press(QPointF(10, 10));  // the pencil's own dot
    press(QPointF(10, 10), Qt::RightButton, Qt::LeftButton);
    move(QPointF(40, 40), Qt::LeftButton | Qt::RightButton);
    move(QPointF(60, 40), Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(CountNotWhite(persistent()), 1);

    selectTool(kToolLine);
    press(QPointF(10, 100));
    press(QPointF(10, 100), Qt::RightButton, Qt::LeftButton);
    move(QPointF(90, 150), Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(CountNotWhite(screen()), 1);
    c.mnu_menu1->hide();
}

TEST_F(DrawingTools_, EveryLeftReleaseLeavesPreviewMode) {
    for (int tool = kToolText; tool <= kToolEraser; ++tool) {
        pic->setAutoRedraw(true);
        selectTool(static_cast<DrawTool>(tool));
        click(QPointF(20 + tool * 10, 20));
        EXPECT_FALSE(pic->AutoRedraw()) << tool;
    }
}

TEST_F(DrawingTools_, DuringARunThePictureAndTheTextButtonsDoNothing) {
    runState.begin(QPoint());
    click(QPointF(50, 50));
    selectTool(kToolLine);
    drag(QPointF(10, 10), QPointF(80, 80));
    c.txtInput->setPlainText(QStringLiteral("■"));
    c.cmdDrawZtxt[0]->click();
    c.cmdDrawZtxt[1]->click();
    EXPECT_EQ(CountNotWhite(persistent()), 0);
    EXPECT_EQ(CountNotWhite(screen()), 0);

    runState.end({});
    drag(QPointF(10, 10), QPointF(80, 80));
    EXPECT_GT(CountNotWhite(persistent()), 70);
}

// Every change a tool makes to the persistent image is one undo step, and nothing else is: the
// previews, the text box opening, the Bezier curve under edit and the context menu are none.
TEST_F(DrawingTools_, EachToolsChangeIsOneUndoStepThatUndoAndRedoWalkExactly) {
    pic->clearHistory();
    std::vector<QImage> states = {persistent()};
    auto step = [&](DrawTool tool, const std::function<void()>& act) {
        selectTool(tool);
        act();
        ASSERT_NE(persistent(), states.back()) << tool;
        states.push_back(persistent());
        EXPECT_EQ(pic->history().undoSteps(), static_cast<int>(states.size()) - 1) << tool;
    };
    setWidth(3);
    step(kToolPencil, [&] { drag(QPointF(10, 10), QPointF(40, 15)); });
    step(kToolLine, [&] { drag(QPointF(10, 30), QPointF(150, 35)); });
    step(kToolRectangle, [&] { drag(QPointF(20, 50), QPointF(90, 90)); });
    step(kToolCircle, [&] { drag(QPointF(140, 140), QPointF(160, 140)); });
    step(kToolEllipse, [&] { drag(QPointF(60, 150), QPointF(90, 170)); });
    step(kToolEraser, [&] { drag(QPointF(10, 30), QPointF(60, 30)); });
    step(kToolBezier, [&] {
        drag(QPointF(100, 100), QPointF(180, 100));
        EXPECT_EQ(pic->history().undoSteps(), 6) << "a curve under edit is no step";
        click(QPointF(30, 190));  // outside every handle: commits
    });
    step(kToolText, [&] {
        click(QPointF(100, 60));
        QTest::keyClicks(c.txtChar, QStringLiteral("Ab"));
        QTest::keyClick(c.txtChar, Qt::Key_Return);
    });
    step(kToolPencil, [&] {
        c.txtTextOut[0]->setText(QStringLiteral("120"));
        c.txtTextOut[1]->setText(QStringLiteral("170"));
        c.cmdDrawZtxt[0]->click();
    });
    press(QPointF(5, 5), Qt::RightButton);
    release(QPointF(5, 5), Qt::RightButton);
    c.mnu_menu1->hide();
    EXPECT_EQ(pic->history().undoSteps(), static_cast<int>(states.size()) - 1);

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(pic->undo());
        EXPECT_EQ(persistent(), states[i - 1]) << i;
        EXPECT_EQ(screen(), persistent()) << i;
    }
    EXPECT_FALSE(pic->undo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(pic->redo());
        EXPECT_EQ(persistent(), states[i]) << i;
    }
    EXPECT_FALSE(pic->redo());
}

}  // namespace
}  // namespace stylorex
