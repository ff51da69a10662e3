// The main window on a real X server: the origin captured with Ctrl+G and the run started with
// Tab and Enter, all typed through XTest, drawing into a window of the test's own.
#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "tests/x11/main_window_fixture.h"
#include "tests/x11/program_window.h"
#include "ui/wait_menu.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::ReceivedEvent;
using testing::TypeKey;
using Kind = ReceivedEvent::Kind;

ReceivedEvent At(Kind kind, int x, int y) {
    return ReceivedEvent{kind, kOriginX + x, kOriginY + y};
}

class MainWindowX11 : public testing::MainWindowOnX11 {
  protected:
    MainWindowX11() : MainWindowOnX11(200) {}
};

TEST_F(MainWindowX11, CtrlGThenTabAndEnterDrawTheCanvasIntoTheTarget) {
    frmGraph& w = *window;
    QLineEdit* startX = NamedChild<QLineEdit>(w, "txtStartX");
    QLineEdit* startY = NamedChild<QLineEdit>(w, "txtStartY");
    QPushButton* start = NamedChild<QPushButton>(w, "cmdStart");
    w.waitMenu().choose(0);
    // A horizontal stroke and a single pixel.
    QImage picture = MakeCanvasImage(200, 200);
    for (int x = 2; x <= 6; ++x) {
        picture.setPixel(x, 3, qRgb(0, 0, 0));
    }
    picture.setPixel(10, 12, qRgb(0, 0, 0));
    NamedChild<PictureBox>(w, "picSRC")->setPicture(picture);

    session.moveTo(kOriginX, kOriginY);
    TypeKey(session.display(), XK_g, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return startX->text() != QStringLiteral("**"); }));
    EXPECT_EQ(startX->text(), QString::number(kOriginX));
    EXPECT_EQ(startY->text(), QString::number(kOriginY));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [座標取得]"));

    // Tab from the origin fields to "処理", as the instructions say.
    ASSERT_TRUE(focus(startY));
    tabUntilFocused(start);
    ASSERT_EQ(QApplication::focusWidget(), start);
    target.discard();

    TypeKey(session.display(), XK_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.statusPanel(3).isEmpty(); }, 10000));
    XSync(pointer->display(), False);
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:2"));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QApplication::focusWidget(), start) << "Enter again starts the next run";

    const auto events = testing::WithoutRepeatedMotions(target.collect());
    const std::vector<ReceivedEvent> expected = {
        At(Kind::Motion, 2, 3),    At(Kind::Press, 2, 3),    At(Kind::Motion, 3, 3),
        At(Kind::Motion, 4, 3),    At(Kind::Motion, 5, 3),   At(Kind::Motion, 6, 3),
        At(Kind::Release, 6, 3),   At(Kind::Motion, 10, 12), At(Kind::Press, 10, 12),
        At(Kind::Release, 10, 12),
    };
    EXPECT_EQ(events, expected) << testing::Describe(events);
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(MainWindowX11, EnterOnAnotherControlStartsNothing) {
    QLineEdit* startX = NamedChild<QLineEdit>(*window, "txtStartX");
    session.moveTo(kOriginX, kOriginY);
    TypeKey(session.display(), XK_g, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return startX->text() != "**"; }));
    ASSERT_TRUE(focus(startX));
    target.discard();
    TypeKey(session.display(), XK_Return);
    QTest::qWait(200);
    EXPECT_TRUE(window->statusPanel(3).isEmpty());
    EXPECT_TRUE(target.collect().empty());
}

}  // namespace
}  // namespace stylorex
