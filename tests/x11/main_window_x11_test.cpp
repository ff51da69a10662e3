// The main window on a real X server: the origin captured with Ctrl+G and the run started with
// Tab and Enter, all typed through XTest, drawing into a window of the test's own.
#include "ui/frm_graph.h"

#include "common/picture_box.h"
#include "platform/x11_pointer.h"
#include "settings/wait_menu.h"
#include "tests/ui/recording_dialogs.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::ReceivedEvent;
using testing::TargetWindow;
using testing::X11Session;
using Kind = ReceivedEvent::Kind;

constexpr int kTargetX = 100;
constexpr int kTargetY = 100;
constexpr int kOriginX = 150;
constexpr int kOriginY = 140;

// Types one key, with Control held when asked, and lets the server deliver it.
void typeKey(Display* display, KeySym key, bool control = false) {
    const unsigned controlCode = XKeysymToKeycode(display, XK_Control_L);
    const unsigned code = XKeysymToKeycode(display, key);
    if (control) {
        XTestFakeKeyEvent(display, controlCode, True, CurrentTime);
    }
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (control) {
        XTestFakeKeyEvent(display, controlCode, False, CurrentTime);
    }
    XSync(display, False);
}

ReceivedEvent At(Kind kind, int x, int y) {
    return ReceivedEvent{kind, kOriginX + x, kOriginY + y};
}

class MainWindowX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetRememberedCaption();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(target.mapped());
        pointer = testing::OpenBackend();
        ASSERT_NE(pointer, nullptr);
        window = std::make_unique<frmGraph>(*pointer, &dialogs);
        window->setSettingsPath(dir.filePath(QStringLiteral("stylorex.ini")));
        window->load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // Without a window manager nobody gives the new window the keyboard; a user's click
        // on it would.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void TearDown() override {
        window.reset();
        session.restore();
        ForgetRememberedCaption();
    }

    QTemporaryDir dir;
    X11Session session;
    TargetWindow target{kTargetX, kTargetY, 200, 200};
    std::unique_ptr<X11Pointer> pointer;
    RecordingDialogs dialogs;
    std::unique_ptr<frmGraph> window;
};

TEST_F(MainWindowX11, CtrlGThenTabAndEnterDrawTheCanvasIntoTheTarget) {
    frmGraph& w = *window;
    w.waitMenu().choose(0);
    // A horizontal stroke and a single pixel.
    QImage picture = MakeCanvasImage(200, 200);
    for (int x = 2; x <= 6; ++x) {
        picture.setPixel(x, 3, qRgb(0, 0, 0));
    }
    picture.setPixel(10, 12, qRgb(0, 0, 0));
    w.picSRC->setPicture(picture);

    session.moveTo(kOriginX, kOriginY);
    typeKey(session.display(), XK_g, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.txtStartX->text() != QStringLiteral("**"); }));
    EXPECT_EQ(w.txtStartX->text(), QString::number(kOriginX));
    EXPECT_EQ(w.txtStartY->text(), QString::number(kOriginY));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [座標取得]"));

    // Tab from the origin fields to "処理", as the instructions say.
    w.txtStartY->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == w.txtStartY; }));
    for (int i = 0; i < 40 && QApplication::focusWidget() != w.cmdStart; ++i) {
        typeKey(session.display(), XK_Tab);
        QTest::qWait(30);
    }
    ASSERT_EQ(QApplication::focusWidget(), w.cmdStart);
    target.discard();

    typeKey(session.display(), XK_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.statusPanel(3).isEmpty(); }, 10000));
    XSync(pointer->display(), False);
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:2"));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_TRUE(dialogs.messages.empty());

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
    session.moveTo(kOriginX, kOriginY);
    typeKey(session.display(), XK_g, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->txtStartX->text() != "**"; }));
    window->txtStartX->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == window->txtStartX; }));
    target.discard();
    typeKey(session.display(), XK_Return);
    QTest::qWait(200);
    EXPECT_TRUE(window->statusPanel(3).isEmpty());
    EXPECT_TRUE(target.collect().empty());
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
