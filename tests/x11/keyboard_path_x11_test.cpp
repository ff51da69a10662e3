// The keyboard path the window's instructions teach, under a click-to-focus window manager
// (openbox): Ctrl+G over the target, Tab until "処理" has the focus, Enter. It must hold whatever
// the user did before: typed text with the text tool, stored a pattern.
#include "ui/frm_graph.h"
#include "ui/run_report.h"

#include "canvas/canvas_image.h"
#include "canvas/picture_box.h"
#include "painter/drawing_tools.h"
#include "tests/x11/main_window_fixture.h"
#include "tests/x11/program_window.h"
#include "tests/x11/window_manager.h"
#include "ui/wait_menu.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;

class KeyboardPathX11 : public testing::MainWindowOnX11 {
  protected:
    KeyboardPathX11() : MainWindowOnX11(300) {}

    static void SetUpTestSuite() { manager = new testing::WindowManager; }
    static void TearDownTestSuite() {
        delete manager;
        manager = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(manager->running());
        MainWindowOnX11::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        window->setProgramFolder(dir.path());
        window->waitMenu().choose(0);
    }

    QPoint onCanvas(QPoint p) const {
        return NamedChild<PictureBox>(*window, "picSRC")->mapToGlobal(p);
    }

    void clickAt(QPoint root) {
        testing::ClickAt(display(), root);
        QTest::qWait(100);
    }

    // A click on the middle of the window's title bar, as a user brings the window forward.
    void clickTitleBar() {
        const QRect frame = window->frameGeometry();
        const int titleHeight = window->geometry().top() - frame.top();
        ASSERT_GT(titleHeight, 4) << "the window manager gave the window no title bar";
        clickAt(QPoint(frame.center().x(), frame.top() + titleHeight / 2));
    }

    // Ctrl+G with the pointer on the origin, then Tab until "処理" has the focus and Enter:
    // whether a run started. Ctrl+G leaves the focus where it was.
    bool captureTabToStartEnterStartsARun() {
        QWidget* focused = QApplication::focusWidget();
        session.moveTo(kOriginX, kOriginY);
        QTest::qWait(50);
        target.discard();
        testing::TypeKey(display(), XK_g, true);
        QLineEdit* startX = NamedChild<QLineEdit>(*window, "txtStartX");
        if (!QTest::qWaitFor([&] { return startX->text() == QString::number(kOriginX); })) {
            ADD_FAILURE() << "Ctrl+G did not capture the origin";
            return false;
        }
        if (QApplication::focusWidget() != focused) {
            ADD_FAILURE() << "Ctrl+G moved the focus";
        }
        QWidget* start = NamedChild<QPushButton>(*window, "cmdStart");
        tabUntilFocused(start);
        if (QApplication::focusWidget() != start) {
            ADD_FAILURE() << "Tab never reached 処理";
            return false;
        }
        testing::TypeKey(display(), XK_Return);
        return QTest::qWaitFor([&] { return !window->statusPanel(3).isEmpty(); }, 30000) &&
               window->caption() == QStringLiteral("Stylorex [処理完了]");
    }

    static testing::WindowManager* manager;
};

testing::WindowManager* KeyboardPathX11::manager = nullptr;

TEST_F(KeyboardPathX11, AfterTheTextToolTabToTheButtonAndEnterStartTheRun) {
    QComboBox* tools = NamedChild<QComboBox>(*window, "cmbMethod");
    ASSERT_TRUE(focus(tools));
    testing::TypeKey(display(), XK_Up);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tools->currentIndex() == kToolText; }));

    clickAt(onCanvas(QPoint(30, 40)));
    QPlainTextEdit* box = NamedChild<QPlainTextEdit>(*window, "txtChar");
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->isVisible() && box->hasFocus(); }));
    for (const unsigned long key : {XK_a, XK_b, XK_c}) {
        testing::TypeKey(display(), key, false, true);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->toPlainText() == QStringLiteral("ABC"); }));
    testing::TypeKey(display(), XK_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->isHidden(); }));
    ASSERT_NO_FATAL_FAILURE(clickTitleBar());
    // The hidden box must not keep the focus: every Tab and Enter would vanish into it.
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(QApplication::focusWidget()->isVisible())
        << QApplication::focusWidget()->objectName().toStdString();

    EXPECT_TRUE(captureTabToStartEnterStartsARun()) << window->caption().toStdString();
    EXPECT_TRUE(dialogs.messages.empty());
    XSync(pointer->display(), False);
    const QImage drawn = NamedChild<PictureBox>(*window, "picSRC")->persistentImage();
    ASSERT_FALSE(testing::DarkPixels(drawn).empty()) << "the text was not drawn";
    EXPECT_EQ(testing::WithoutRepeatedMotions(target.collect()),
              testing::ExpectedRunEvents(drawn, kOriginX, kOriginY));
}

TEST_F(KeyboardPathX11, AfterAPatternStoreTabToTheButtonAndEnterStartTheRunAndStoreNothingMore) {
    NamedChild<PictureBox>(*window, "picSRC")->setPicture(testing::LineArt(200));
    QPushButton* store = NamedChild<QPushButton>(*window, "cmdFixedStore");
    clickAt(store->mapToGlobal(store->rect().center()));
    const QString stored = dir.filePath(QStringLiteral(" 1.jpg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(stored); })) << "登録 stored nothing";
    ASSERT_TRUE(QFile::remove(stored));

    EXPECT_TRUE(captureTabToStartEnterStartsARun()) << window->caption().toStdString();
    EXPECT_FALSE(QFile::exists(stored)) << "Enter stored the pattern again";
}

// Enter on "処理" starts the run on its press; a user's finger lifts it a moment later. The run
// must not click before then: its first click gives a paint program the keyboard, and the
// release (or the key's repeat) would go there. Started with Enter held, it waits, says so, and
// draws once the key is up; the target sees the strokes and no key.
TEST_F(KeyboardPathX11, EnterHeldStartsARunThatWaitsForItsReleaseAndKeepsTheKeyFromTheTarget) {
    QImage picture = MakeCanvasImage(300, 300);
    for (int x = 2; x <= 9; ++x) {
        picture.setPixel(x, 3, qRgb(0, 0, 0));
    }
    picture.setPixel(12, 14, qRgb(0, 0, 0));
    NamedChild<PictureBox>(*window, "picSRC")->setPicture(picture);
    // A managed target below the window and the fixture's target: the window manager gives it
    // the keyboard at the run's first click, as a user's paint program gets it.
    const int below = std::max(window->frameGeometry().bottom(), testing::kTargetY + 300) + 40;
    testing::TargetWindow paint(testing::kTargetX, below, 160, 120,
                                testing::TargetWindow::Placement::Managed);
    ASSERT_TRUE(paint.mapped());
    ASSERT_FALSE(window->frameGeometry().intersects(QRect(paint.position(), QSize(160, 120))));
    ASSERT_NO_FATAL_FAILURE(clickTitleBar());
    const QPoint origin = paint.position() + QPoint(20, 20);
    session.moveTo(origin.x(), origin.y());
    QTest::qWait(50);
    testing::TypeKey(display(), XK_g, true);
    QLineEdit* startX = NamedChild<QLineEdit>(*window, "txtStartX");
    ASSERT_TRUE(QTest::qWaitFor([&] { return startX->text() == QString::number(origin.x()); }));
    QPushButton* start = NamedChild<QPushButton>(*window, "cmdStart");
    ASSERT_TRUE(focus(start));
    paint.discard();

    // The run starts inside the key's handling: the release comes from a timer, as the user's
    // finger does, while the run waits.
    const unsigned enter = XKeysymToKeycode(display(), XK_Return);
    QString panelAtRelease;
    std::vector<testing::ReceivedEvent> beforeRelease;
    bool released = false;
    QTimer::singleShot(400, [&] {
        panelAtRelease = window->statusPanel(2);
        beforeRelease = paint.collect();
        XTestFakeKeyEvent(display(), enter, False, CurrentTime);
        XSync(display(), False);
        released = true;
    });
    XTestFakeKeyEvent(display(), enter, True, CurrentTime);
    XSync(display(), False);
    ASSERT_TRUE(QTest::qWaitFor([&] { return released; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->statusPanel(3).isEmpty(); }, 30000));
    EXPECT_EQ(panelAtRelease, WindowKeysHeldText());
    EXPECT_EQ(beforeRelease, std::vector<testing::ReceivedEvent>{}) << "drawn with the key down";
    EXPECT_EQ(window->caption(), QStringLiteral("Stylorex [処理完了]"));
    XSync(pointer->display(), False);
    const auto events = testing::WithoutRepeatedMotions(paint.collect());
    EXPECT_EQ(events, testing::ExpectedRunEvents(picture, origin.x(), origin.y()))
        << testing::Describe(events);
}

}  // namespace
}  // namespace stylorex
