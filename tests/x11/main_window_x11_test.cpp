// The main window on a real X server: the origin captured with Ctrl+G and the run started with
// Tab and Enter, all typed through XTest, drawing into a window of the test's own.
#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "os/x11/screen_x11.h"
#include "tests/x11/main_window_fixture.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/program_processes.h"
#include "tests/x11/program_window.h"
#include "tests/x11/swatch_target.h"
#include "tests/x11/window_manager.h"
#include "ui/dlg_palette.h"
#include "ui/dlg_setting.h"
#include "ui/wait_menu.h"

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include <signal.h>
#include <unistd.h>

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

// The guardian killed while no run lasts: the window says so at once, and the next run starts
// a new one and draws.
TEST_F(MainWindowX11, AGuardianThatDiesBetweenRunsIsSaidAtOnceAndTheNextRunDraws) {
    frmGraph& w = *window;
    const std::optional<pid_t> guardian = testing::GuardianOf(::getpid());
    ASSERT_TRUE(guardian) << "no guardian beside the window";
    ASSERT_EQ(::kill(*guardian, SIGKILL), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.empty(); }, 2000))
        << "the window said nothing";
    EXPECT_TRUE(
        dialogs.messages.front().text.contains(QStringLiteral("ボタンの見張りが止まりました")));
    dialogs.messages.clear();

    w.waitMenu().choose(0);
    QImage picture = MakeCanvasImage(200, 200);
    picture.setPixel(10, 12, qRgb(0, 0, 0));
    NamedChild<PictureBox>(w, "picSRC")->setPicture(picture);
    NamedChild<QLineEdit>(w, "txtStartX")->setText(QString::number(kOriginX));
    NamedChild<QLineEdit>(w, "txtStartY")->setText(QString::number(kOriginY));
    target.discard();
    w.startCommand();
    XSync(pointer->display(), False);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messageTexts().join(' ').toStdString();
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_TRUE(testing::GuardianOf(::getpid())) << "no new guardian";
}

TEST_F(MainWindowX11, ATargetTheWindowCoversIsNotCheckedNorMended) {
    frmGraph& w = *window;
    QString error;
    const std::unique_ptr<X11Screen> screen = X11Screen::open(&error);
    ASSERT_NE(screen, nullptr) << error.toStdString();
    w.setScreenReader(screen.get());
    NamedChild<QAction>(w, "mnu_followTarget")->setChecked(true);
    NamedChild<QAction>(w, "mnu_joinRuns")->setChecked(true);
    w.waitMenu().choose(0);
    // A line and a dot in the left part of the canvas. The target only stamps where the pointer
    // stops, so the line's first joined move (4 pixels, the most before the target is seen to
    // join straight) leaves misses that mending would press on, and the rest of the line goes
    // pixel by pixel; but the window covers the right part of the rectangle the canvas makes
    // at the origin.
    QImage picture = MakeCanvasImage(200, 200);
    for (int y = 10; y <= 40; ++y) {
        picture.setPixel(10, y, qRgb(0, 0, 0));
    }
    picture.setPixel(30, 60, qRgb(0, 0, 0));
    NamedChild<PictureBox>(w, "picSRC")->setPicture(picture);
    testing::PaintingTarget stamps(testing::PaintingTarget::Kind::StampsEveryMotion,
                                   QRect(kOriginX, kOriginY, 200, 200));
    ASSERT_TRUE(stamps.mapped());
    const QPoint corner(kOriginX + 100, kOriginY - 20);
    w.move(corner);
    w.raise();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.frameGeometry().topLeft() == corner; }));
    NamedChild<QLineEdit>(w, "txtStartX")->setText(QString::number(kOriginX));
    NamedChild<QLineEdit>(w, "txtStartY")->setText(QString::number(kOriginY));

    w.startCommand();
    XSync(pointer->display(), False);
    ASSERT_TRUE(stamps.settle());
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_EQ(w.statusPanel(5),
              QStringLiteral("確認できません: このウィンドウが描画先に重なっています"));
    std::set<std::pair<int, int>> stamped = {{kOriginX + 10, kOriginY + 10},
                                             {kOriginX + 30, kOriginY + 60}};
    for (int y = 14; y <= 40; ++y) {
        stamped.insert({kOriginX + 10, kOriginY + y});
    }
    EXPECT_EQ(stamps.inked(), stamped) << "mended, or joined past the first move's misses";
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(MainWindowX11, AFirstStartPutsTheWindowWhereItCoversNoOtherWindow) {
    // The target at the left and another program's window at the right: the screen's left edge
    // would cover the one, its right edge the other.
    window.reset();
    const QRect right(880, 0, 400, 700);
    testing::TargetWindow other(right.x(), right.y(), right.width(), right.height());
    ASSERT_TRUE(other.mapped());
    frmGraph first(*pointer, &dialogs);
    first.setSettingsPath(dir.filePath(QStringLiteral("first-start.ini")));
    first.load();
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));

    const QRect frame = first.frameGeometry();
    EXPECT_TRUE(first.screen()->availableGeometry().contains(frame));
    for (const QRect& shown : {QRect(testing::kTargetX, testing::kTargetY, 200, 200), right}) {
        EXPECT_FALSE(frame.intersects(shown))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    }
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

TEST_F(MainWindowX11, WhileACommandLineRunDrawsTheStartIsRefused) {
    // A run of `stylorex draw` long enough to be under way when the window starts: every pixel
    // of a white picture is a line pixel when nothing counts as white.
    QImage white(200, 200, QImage::Format_RGB32);
    white.fill(Qt::white);
    const QString picture = dir.filePath(QStringLiteral("white.png"));
    ASSERT_TRUE(white.save(picture, "PNG"));
    const QString program = dir.filePath(QStringLiteral("stylorex"));
    ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
    QProcess commandLine;
    commandLine.setProcessChannelMode(QProcess::ForwardedChannels);
    commandLine.start(
        program, {QStringLiteral("draw"), picture, QStringLiteral("--at"),
                  QStringLiteral("%1,%2").arg(kOriginX).arg(kOriginY), QStringLiteral("--mode"),
                  QStringLiteral("nonwhite"), QStringLiteral("--white"), QStringLiteral("256"),
                  QStringLiteral("--wait"), QStringLiteral("3")});
    ASSERT_TRUE(commandLine.waitForStarted(5000));
    ASSERT_TRUE(testing::Eventually([&] { return session.leftButtonDown(); }, 15000, 10))
        << "the command line's run never pressed the button";

    frmGraph& w = *window;
    QImage dot = MakeCanvasImage(200, 200);
    dot.setPixel(10, 12, qRgb(0, 0, 0));
    NamedChild<PictureBox>(w, "picSRC")->setPicture(dot);
    NamedChild<QLineEdit>(w, "txtStartX")->setText(QString::number(kOriginX));
    NamedChild<QLineEdit>(w, "txtStartY")->setText(QString::number(kOriginY));
    w.startCommand();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("別の描画が実行中です"));
    EXPECT_FALSE(w.runState().inProgress());
    // No run began: the caption is as it was before the start.
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex"));
    EXPECT_TRUE(w.statusPanel(3).isEmpty());
    EXPECT_EQ(commandLine.state(), QProcess::Running)
        << "the command line's run ended before the window was refused";

    commandLine.terminate();
    ASSERT_TRUE(commandLine.waitForFinished(10000));
    EXPECT_EQ(commandLine.exitCode(), 3);
    EXPECT_FALSE(session.leftButtonDown());
}

// Esc on a desktop: openbox manages the target and grabs every press into it. The window then
// counts the strokes the target got whole and says how to go on.
TEST_F(MainWindowX11, AfterEscTheCountIsOfTheStrokesTheTargetGotWholeAndCtrlRIsOffered) {
    // Mapped before the manager starts, which then frames it where it stands: a window mapped
    // under a running openbox now and then never shows.
    testing::TargetWindow managed(40, 400, 400, 300, testing::TargetWindow::Placement::Managed);
    ASSERT_TRUE(managed.mapped());
    testing::WindowManager manager;
    ASSERT_TRUE(manager.running());
    frmGraph& w = *window;
    w.waitMenu().choose(1);
    NamedChild<QAction>(w, "mnu_followTarget")->setChecked(false);
    // Thirty strokes of 100 pixels: three seconds at least, stopped after half a second.
    QImage lines = MakeCanvasImage(200, 200);
    for (int y = 0; y < 60; y += 2) {
        for (int x = 0; x < 100; ++x) {
            lines.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    NamedChild<PictureBox>(w, "picSRC")->setPicture(lines);
    // Inside the target, wherever the manager's frame put it.
    const QPoint origin = managed.position() + QPoint(10, 10);
    NamedChild<QLineEdit>(w, "txtStartX")->setText(QString::number(origin.x()));
    NamedChild<QLineEdit>(w, "txtStartY")->setText(QString::number(origin.y()));
    managed.collect();

    QTimer::singleShot(500, &w, [this] { TypeKey(display(), XK_Escape); });
    w.startCommand();
    XSync(pointer->display(), False);
    ASSERT_EQ(w.runState().lastResult().ending, RunResult::Ending::Aborted);
    EXPECT_FALSE(session.leftButtonDown());
    const auto events = managed.collect();
    const auto releases = std::count_if(events.begin(), events.end(), [](const ReceivedEvent& e) {
        return e.kind == Kind::Release;
    });
    ASSERT_GT(releases, 1) << testing::Describe(events);
    // The last release ended the stroke Esc cut short.
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:%1").arg(releases - 1));
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("中断"));
    EXPECT_EQ(NamedChild<QProgressBar>(w, "StatusBar1_progress")->format(),
              QStringLiteral("Ctrl+R で続きを描く"));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [中断しました]"));
}

// Runs `act` on the modal dialog of type D as soon as it is open; gives up after a few seconds.
template <typename D>
void WhenModal(std::function<void(D&)> act, int attempts = 250) {
    QTimer::singleShot(20, [act, attempts] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            act(*dialog);
        } else if (attempts > 0) {
            WhenModal<D>(act, attempts - 1);
        } else {
            ADD_FAILURE() << "no dialog opened";
        }
    });
}

// The colour way on a real X server: the target's swatches taken with Ctrl+K typed through XTest
// where the pointer stands, their colours read from the screen, "カラー" chosen, and the run
// draws every pixel in its colour into the swatch target, the check exact.
TEST_F(MainWindowX11, SwatchesTakenWithCtrlKDrawThePictureInTheTargetsColours) {
    frmGraph& w = *window;
    QString error;
    const std::unique_ptr<X11Screen> screen = X11Screen::open(&error);
    ASSERT_NE(screen, nullptr) << error.toStdString();
    w.setScreenReader(screen.get());
    w.move(0, 0);
    NamedChild<QAction>(w, "mnu_followTarget")->setChecked(true);
    w.waitMenu().choose(0);
    const std::vector<QRgb> inks{qRgb(220, 30, 30), qRgb(30, 160, 60), qRgb(0, 0, 0)};
    std::vector<testing::SwatchTarget::Swatch> faces;
    for (const QRgb ink : inks) {
        faces.push_back({ink, testing::SwatchTarget::Answer::Takes});
    }
    testing::SwatchTarget paint(QRect(900, 700, 220, 120), faces);
    ASSERT_TRUE(paint.mapped());

    WhenModal<dlgPalette>([&](dlgPalette& dialog) {
        dialog.activateWindow();
        // Qt counts the dialog active at once; the keys go where the server's focus is.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(display(), &focus, &revert);
            return focus == dialog.winId();
        }));
        for (int i = 0; i < 3; ++i) {
            session.moveTo(paint.swatchCentre(i).x(), paint.swatchCentre(i).y());
            TypeKey(display(), XK_k, true);
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.lstSwatches->rowCount() == i + 1; }))
                << dialog.lblHint->text().toStdString();
        }
        dialog.OKButton->click();
    });
    NamedChild<QAction>(w, "mnu_palette")->trigger();
    WhenModal<dlgSetting>([](dlgSetting& dialog) {
        dialog.OptColour->click();
        dialog.OKButton->click();
    });
    NamedChild<QAction>(w, "mnu_s_0")->trigger();
    ASSERT_EQ(w.settings().PaletteSwatches.size(), 3);

    // A red bar, a green line down from it and a black frame round both.
    QImage picture = MakeCanvasImage(200, 200);
    std::map<std::pair<int, int>, QRgb> expected;
    const QPoint origin = paint.canvasTopLeft() + QPoint(10, 10);
    const auto put = [&](int x, int y, QRgb ink) {
        picture.setPixel(x, y, ink);
        expected[{origin.x() + x, origin.y() + y}] = ink;
    };
    for (int x = 4; x <= 40; ++x) {
        put(x, 4, inks[0]);
        put(x, 5, inks[0]);
    }
    for (int y = 6; y <= 30; ++y) {
        put(8, y, inks[1]);
    }
    for (int i = 1; i <= 48; ++i) {
        put(i, 1, inks[2]);
        put(i, 34, inks[2]);
    }
    for (int y = 2; y <= 33; ++y) {
        put(1, y, inks[2]);
        put(48, y, inks[2]);
    }
    NamedChild<PictureBox>(w, "picSRC")->setPicture(picture);
    NamedChild<QLineEdit>(w, "txtStartX")->setText(QString::number(origin.x()));
    NamedChild<QLineEdit>(w, "txtStartY")->setText(QString::number(origin.y()));

    w.startCommand();
    XSync(pointer->display(), False);
    ASSERT_TRUE(paint.settle());
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_EQ(paint.inked(), expected);
    EXPECT_EQ(w.statusPanel(5), QStringLiteral("確認: 欠け 0 / 余分 0"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(session.leftButtonDown());

    // Kept: the window closed, started again and closed, the file still holds every swatch,
    // and the command line beside it plans the picture in their inks.
    const QStringList swatches = w.settings().PaletteSwatches;
    w.close();
    const QString ini = dir.filePath(QStringLiteral("stylorex.ini"));
    window = std::make_unique<frmGraph>(*pointer, &dialogs);
    window->setSettingsPath(ini);
    window->load();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->settings().PaletteSwatches, swatches);
    window->close();
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromLocal8Bit(file.readAll());
    for (int i = 0; i < swatches.size(); ++i) {
        EXPECT_TRUE(saved.contains(QStringLiteral("Swatch%1=%2").arg(i + 1).arg(swatches[i])))
            << saved.toStdString();
    }
    const QString program = dir.filePath(QStringLiteral("stylorex"));
    ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
    const QString pictureFile = dir.filePath(QStringLiteral("inks.png"));
    ASSERT_TRUE(picture.save(pictureFile));
    QProcess plan;
    plan.start(program,
               {QStringLiteral("draw"), pictureFile, QStringLiteral("--at"),
                QStringLiteral("%1,%2").arg(origin.x()).arg(origin.y()), QStringLiteral("--mode"),
                QStringLiteral("colour"), QStringLiteral("--plan"), QStringLiteral("--json")});
    ASSERT_TRUE(plan.waitForFinished(60000));
    EXPECT_EQ(plan.exitCode(), 0) << plan.readAllStandardError().toStdString();
    std::set<QString> planned;
    for (const QJsonValue ink : QJsonDocument::fromJson(plan.readAllStandardOutput())
                                    .object()[QStringLiteral("inks")]
                                    .toArray()) {
        planned.insert(ink.toObject()[QStringLiteral("ink")].toString().toLower());
    }
    std::set<QString> taken;
    for (const QRgb ink : inks) {
        taken.insert(QColor(ink).name());
    }
    EXPECT_EQ(planned, taken);
}

}  // namespace
}  // namespace stylorex
