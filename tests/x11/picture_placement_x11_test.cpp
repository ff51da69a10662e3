// Where the picture lands, in the main window on a real X server through XTest: the outline
// shown once the origin is set, gone before a run's first press, and the drawing area dragged in
// the program's own screen pick, with the picture fitted into it.
#include "canvas/canvas_image.h"
#include "canvas/picture_box.h"
#include "canvas/picture_fit.h"
#include "os/x11/screen_x11.h"
#include "os/x11/x11_pointer.h"
#include "tests/support/named_child.h"
#include "tests/support/recording_dialogs.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"
#include "ui/frm_graph.h"
#include "ui/picture_placement.h"
#include "ui/wait_menu.h"

#include <QApplication>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <functional>
#include <memory>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::kTargetX;
using testing::kTargetY;
using Pixels = std::set<std::pair<int, int>>;

// The X11 pointer, with a look at the screen just before the run's first press.
class FirstPressWatch : public PointerDevice {
  public:
    explicit FirstPressWatch(X11Pointer& pointer)
        : PointerDevice(pointer.stopWatch(), pointer.limits()), pointer_(pointer) {}
    std::function<void()> beforeFirstPress;

    void moveTo(int x, int y) override { pointer_.moveTo(x, y); }
    void pressLeft(int x, int y) override {
        if (beforeFirstPress) {
            std::exchange(beforeFirstPress, nullptr)();
        }
        pointer_.pressLeft(x, y);
    }
    void releaseLeft(int x, int y) override { pointer_.releaseLeft(x, y); }
    QPoint position() override { return pointer_.position(); }
    QSize primaryScreenSize() override { return pointer_.primaryScreenSize(); }

  private:
    X11Pointer& pointer_;
};

Pixels Translated(const Pixels& pixels, QPoint by) {
    Pixels out;
    for (const auto& [x, y] : pixels) {
        out.insert({x + by.x(), y + by.y()});
    }
    return out;
}

// A 200 × 200 canvas picture: a frame with a diagonal across it.
QImage FramedDiagonal(const QRect& frame) {
    QImage picture = MakeCanvasImage(200, 200);
    for (int x = frame.left(); x <= frame.right(); ++x) {
        picture.setPixel(x, frame.top(), qRgb(0, 0, 0));
        picture.setPixel(x, frame.bottom(), qRgb(0, 0, 0));
        picture.setPixel(
            x, frame.top() + (x - frame.left()) * (frame.height() - 1) / (frame.width() - 1),
            qRgb(0, 0, 0));
    }
    for (int y = frame.top(); y <= frame.bottom(); ++y) {
        picture.setPixel(frame.left(), y, qRgb(0, 0, 0));
        picture.setPixel(frame.right(), y, qRgb(0, 0, 0));
    }
    return picture;
}

class PicturePlacementX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(target.mapped());
        pointer = testing::OpenBackend();
        ASSERT_NE(pointer, nullptr);
        screen = X11Screen::open(nullptr);
        ASSERT_NE(screen, nullptr);
        watch = std::make_unique<FirstPressWatch>(*pointer);
        window = std::make_unique<frmGraph>(*watch, &dialogs);
        window->setSettingsPath(dir.filePath(QStringLiteral("stylorex.ini")));
        window->setScreenReader(screen.get());
        window->load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->waitMenu().choose(0);
    }
    void TearDown() override {
        window.reset();
        session.restore();
    }

    PictureBox& canvas() { return *NamedChild<PictureBox>(*window, "picSRC"); }
    QString originX() { return NamedChild<QLineEdit>(*window, "txtStartX")->text(); }
    QImage screenAt(const QRect& rect) {
        return testing::ScreenPixels(session.display(), rect.x(), rect.y(), rect.width(),
                                     rect.height());
    }

    QTemporaryDir dir;
    testing::X11Session session;
    testing::PaintingTarget target{testing::PaintingTarget::Kind::JoinsEveryMotion,
                                   QRect(kTargetX, kTargetY, 300, 300)};
    std::unique_ptr<X11Pointer> pointer;
    std::unique_ptr<X11Screen> screen;
    std::unique_ptr<FirstPressWatch> watch;
    RecordingDialogs dialogs;
    std::unique_ptr<frmGraph> window;
};

TEST_F(PicturePlacementX11, CtrlGOutlinesWhereTheLinesLandUntilTheRunsFirstPress) {
    const QImage picture = FramedDiagonal(QRect(QPoint(40, 40), QPoint(100, 80)));
    canvas().setPicture(picture);
    const QRect canvasOnScreen(kOriginX, kOriginY, 200, 200);
    const QImage before = screenAt(canvasOnScreen);

    session.moveTo(kOriginX, kOriginY);
    testing::TypeKey(session.display(), XK_g, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return originX() == QString::number(kOriginX); }));
    AreaOutline& outline = window->placement().outline();
    ASSERT_TRUE(outline.isVisible());
    // Just outside the lines, inside the rectangle the run's check reads.
    const QRect ring = outline.desktopRect();
    EXPECT_EQ(ring,
              QRect(QPoint(kOriginX + 38, kOriginY + 38), QPoint(kOriginX + 102, kOriginY + 82)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return screenAt(canvasOnScreen) != before; }))
        << "the outline never showed";

    bool shownAtFirstPress = true;
    QImage atFirstPress;
    watch->beforeFirstPress = [&] {
        shownAtFirstPress = outline.isVisible();
        atFirstPress = screenAt(canvasOnScreen);
    };
    window->startCommand();
    XSync(pointer->display(), False);
    ASSERT_TRUE(target.settle());
    EXPECT_FALSE(shownAtFirstPress);
    EXPECT_EQ(atFirstPress, before);
    EXPECT_EQ(target.inked(), Translated(testing::DarkPixels(picture), QPoint(kOriginX, kOriginY)));
    EXPECT_EQ(window->statusPanel(5), QStringLiteral("確認: 欠け 0 / 余分 0"));
}

TEST_F(PicturePlacementX11, ADraggedAreaFitsThePictureAndTheRunLandsInsideIt) {
    // Away from the canvas's corner: the fit takes the part that is not white.
    const QRect frame(20, 30, 161, 81);
    canvas().setPicture(FramedDiagonal(frame));

    testing::TypeKey(session.display(), XK_g, true, true);
    ScreenPickOverlay& pick = window->placement().areaPick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pick.veils().empty(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pick.veils().front()));
    QTest::qWait(50);
    const QRect area(QPoint(130, 150), QPoint(249, 229));
    Display* display = session.display();
    XTestFakeMotionEvent(display, -1, area.left(), area.top(), CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XSync(display, False);
    QTest::qWait(20);
    XTestFakeMotionEvent(display, -1, area.center().x(), area.center().y(), CurrentTime);
    XSync(display, False);
    QTest::qWait(20);
    XTestFakeMotionEvent(display, -1, area.right(), area.bottom(), CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    ASSERT_TRUE(QTest::qWaitFor([&] { return originX() == QString::number(area.left()); }));

    const QSize fitted = FittedSize(frame.size(), area.size());
    ASSERT_EQ(fitted, QSize(120, 60));
    EXPECT_EQ(canvas().persistentImage().size(), fitted);
    EXPECT_TRUE(NamedChild<QStatusBar>(*window, "StatusBar1")
                    ->currentMessage()
                    .startsWith(QStringLiteral("描画範囲 120×80 に合わせて画像を 120×60 に")));

    window->startCommand();
    XSync(pointer->display(), False);
    ASSERT_TRUE(target.settle());
    // The fitted picture fills the canvas, which lies in the rectangle at its top-left corner.
    EXPECT_EQ(NonWhiteBounds(canvas().persistentImage()), QRect(QPoint(0, 0), fitted));
    EXPECT_EQ(target.inked(),
              Translated(testing::DarkPixels(canvas().persistentImage()), area.topLeft()));
    EXPECT_EQ(window->statusPanel(5), QStringLiteral("確認: 欠け 0 / 余分 0"));
    EXPECT_FALSE(session.leftButtonDown());
}

}  // namespace
}  // namespace stylorex
