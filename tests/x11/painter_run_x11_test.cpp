// The painter on a real X server: a picture drawn on picSRC with the line, rectangle and Bézier
// tools through XTest moves and button presses, the tools chosen with the keyboard, then drawn
// into a window of the test's own with Ctrl+G, Tab and Enter through the X11 backend.
#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "painter/bezier_tool.h"
#include "painter/drawing_tools.h"
#include "tests/x11/main_window_fixture.h"
#include "tests/x11/program_window.h"
#include "ui/wait_menu.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::ReceivedEvent;

bool IsBlackAt(const QImage& image, QPoint p) {
    return image.pixel(p) == qRgb(0, 0, 0);
}

class PainterRunX11 : public testing::MainWindowOnX11 {
  protected:
    PainterRunX11() : MainWindowOnX11(300) {}

    void SetUp() override {
        MainWindowOnX11::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        window->waitMenu().choose(0);
        session.moveTo(5, 5);
    }

    // Chooses a tool as a user does with the keyboard: focus on cmbMethod, then Up or Down.
    void chooseTool(int tool) {
        QComboBox* box = NamedChild<QComboBox>(*window, "cmbMethod");
        ASSERT_TRUE(focus(box));
        for (int i = 0; i < 10 && box->currentIndex() != tool; ++i) {
            testing::TypeKey(display(), box->currentIndex() < tool ? XK_Down : XK_Up);
            const int before = box->currentIndex();
            (void)QTest::qWaitFor([&] { return box->currentIndex() != before; }, 1000);
        }
        ASSERT_EQ(box->currentIndex(), tool);
    }

    QPoint onCanvas(QPoint p) const {
        return NamedChild<PictureBox>(*window, "picSRC")->mapToGlobal(p);
    }

    void moveOnCanvas(QPoint p) {
        const QPoint root = onCanvas(p);
        XTestFakeMotionEvent(display(), -1, root.x(), root.y(), CurrentTime);
        XSync(display(), False);
        QTest::qWait(15);
    }

    void button(bool down) {
        XTestFakeButtonEvent(display(), 1, down ? True : False, CurrentTime);
        XSync(display(), False);
        QTest::qWait(15);
    }

    // A drag with the left button in ten steps from `from` to `to`.
    void drag(QPoint from, QPoint to) {
        moveOnCanvas(from);
        button(true);
        for (int step = 1; step <= 10; ++step) {
            moveOnCanvas(from + (to - from) * step / 10);
        }
        button(false);
    }
};

TEST_F(PainterRunX11, LineRectangleAndBezierDrawnWithTheMouseAreExactlyWhatTheRunDraws) {
    frmGraph& w = *window;
    PictureBox& canvas = *NamedChild<PictureBox>(w, "picSRC");
    QLineEdit* startX = NamedChild<QLineEdit>(w, "txtStartX");
    QLineEdit* startY = NamedChild<QLineEdit>(w, "txtStartY");
    QPushButton* start = NamedChild<QPushButton>(w, "cmdStart");

    chooseTool(kToolLine);
    drag(QPoint(20, 30), QPoint(120, 30));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return IsBlackAt(canvas.persistentImage(), {120, 30});
    })) << "the line never reached the canvas";

    chooseTool(kToolRectangle);
    drag(QPoint(100, 110), QPoint(30, 60));  // drawn from the bottom-right corner
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return IsBlackAt(canvas.persistentImage(), {30, 60});
    })) << "the rectangle never reached the canvas";

    // The Bézier curve: laid out by a drag, its second control point dragged aside, then a
    // press away from every handle commits it.
    chooseTool(kToolBezier);
    drag(QPoint(150, 60), QPoint(150, 170));
    BezierTool& bezier = w.painter()->bezier();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bezier.BezState() == 1; }));
    EXPECT_EQ(bezier.BezPoints()[2], QPoint(150, 80));
    drag(QPoint(150, 80), QPoint(190, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bezier.BezState() == 2; }));
    EXPECT_EQ(bezier.BezPoints()[2], QPoint(190, 100));
    drag(QPoint(10, 190), QPoint(10, 190));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bezier.BezState() == 0; }));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return IsBlackAt(canvas.persistentImage(), {150, 170});
    })) << "the curve was not committed";

    // Ctrl+G over the target, then Tab from the origin fields to "処理" and Enter.
    session.moveTo(kOriginX, kOriginY);
    QTest::qWait(50);
    target.discard();
    testing::TypeKey(display(), XK_g, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return startX->text() == QString::number(kOriginX); }));
    ASSERT_TRUE(focus(startY));
    tabUntilFocused(start);
    ASSERT_EQ(QApplication::focusWidget(), start);
    testing::TypeKey(display(), XK_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.statusPanel(3).isEmpty(); }, 30000));
    XSync(pointer->display(), False);
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_TRUE(dialogs.messages.empty());
    const auto events = testing::WithoutRepeatedMotions(target.collect());

    // The picture the run read: black on white only, with no trace of the curve's handles.
    const QImage drawn = canvas.persistentImage();
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb c = drawn.pixel(x, y);
            ASSERT_TRUE(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255))
                << "pixel (" << x << ", " << y << ") is neither black nor white";
        }
    }
    const auto black = testing::DarkPixels(drawn);
    // The line is exactly its 101 pixels on row 30; the rectangle's corners are where the drag
    // began and ended; the curve runs from its start (two above the press) to its end.
    for (int x = 20; x <= 120; ++x) {
        EXPECT_TRUE(black.count({x, 30})) << "line pixel " << x;
    }
    EXPECT_FALSE(black.count({19, 30}));
    EXPECT_FALSE(black.count({121, 30}));
    for (const QPoint edge : {QPoint(30, 60), QPoint(65, 60), QPoint(30, 85)}) {
        EXPECT_TRUE(black.count({edge.x(), edge.y()})) << edge.x() << "," << edge.y();
    }
    EXPECT_FALSE(black.count({65, 85})) << "the rectangle is not hollow";
    EXPECT_TRUE(black.count({150, 58}));
    EXPECT_TRUE(black.count({150, 170}));
    EXPECT_FALSE(black.count({10, 190})) << "the committing click drew something";

    EXPECT_EQ(testing::DrawnPixels(events, kOriginX, kOriginY), black);
    EXPECT_EQ(events, testing::ExpectedRunEvents(drawn, kOriginX, kOriginY))
        << testing::Describe(events);
    EXPECT_FALSE(session.leftButtonDown());
}

}  // namespace
}  // namespace stylorex
