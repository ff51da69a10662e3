// The main window with Qt's scale factor at 2, as on a HiDPI screen: Qt places the window in
// device-independent pixels, the pointer and the screen read back are in the screen's own.
#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "os/x11/screen_x11.h"
#include "tests/x11/main_window_fixture.h"
#include "tests/x11/painting_target.h"
#include "ui/wait_menu.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;

class HighDpiX11 : public testing::MainWindowOnX11 {
  protected:
    HighDpiX11() : MainWindowOnX11(200) {}
};

TEST_F(HighDpiX11, AWindowBesideTheTargetDoesNotCoverItAtScaleFactorTwo) {
    frmGraph& w = *window;
    ASSERT_EQ(w.screen()->devicePixelRatio(), 2.0);
    QString error;
    const std::unique_ptr<X11Screen> screen = X11Screen::open(&error);
    ASSERT_NE(screen, nullptr) << error.toStdString();
    w.setScreenReader(screen.get());
    w.waitMenu().choose(0);
    QImage picture = MakeCanvasImage(200, 200);
    for (int x = 10; x <= 40; ++x) {
        picture.setPixel(x, 20, qRgb(0, 0, 0));
    }
    NamedChild<PictureBox>(w, "picSRC")->setPicture(picture);
    testing::PaintingTarget paint(testing::PaintingTarget::Kind::JoinsEveryMotion,
                                  QRect(kOriginX, kOriginY, 200, 200));
    ASSERT_TRUE(paint.mapped());
    // 70 screen pixels right of the target's rectangle: in device-independent pixels the frame
    // starts at half that, inside the rectangle's numbers.
    const QPoint besideInScreenPixels(kOriginX + 200 + 70, kOriginY - 40);
    w.move(besideInScreenPixels / 2);
    w.raise();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w.frameGeometry().topLeft() == besideInScreenPixels / 2; }));
    NamedChild<QLineEdit>(w, "txtStartX")->setText(QString::number(kOriginX));
    NamedChild<QLineEdit>(w, "txtStartY")->setText(QString::number(kOriginY));

    w.startCommand();
    XSync(pointer->display(), False);
    ASSERT_TRUE(paint.settle());
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_EQ(w.statusPanel(5), QStringLiteral("確認: 欠け 0 / 余分 0"));
    EXPECT_EQ(paint.inked().size(), 31U);
    EXPECT_FALSE(session.leftButtonDown());
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
