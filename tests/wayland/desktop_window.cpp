#include "tests/wayland/desktop_window.h"

#include "canvas/picture_box.h"
#include "os/session_choice.h"
#include "tests/support/named_child.h"
#include "tests/support/recording_dialogs.h"
#include "tests/wayland/desktop_run.h"
#include "tests/wayland/recording_client.h"
#include "tests/wayland/screen_events.h"
#include "tests/x11/program_window.h"
#include "ui/frm_graph.h"
#include "ui/picture_placement.h"
#include "ui/screen_pick_overlay.h"
#include "ui/wait_menu.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace stylorex::testing {

namespace {

// A rectangle's outline and a lone dot; pixel (0, 0) is white.
QImage Picture() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 5; x <= 25; ++x) {
        picture.setPixel(x, 5, qRgb(0, 0, 0));
        picture.setPixel(x, 15, qRgb(0, 0, 0));
    }
    for (int y = 6; y < 15; ++y) {
        picture.setPixel(5, y, qRgb(0, 0, 0));
        picture.setPixel(25, y, qRgb(0, 0, 0));
    }
    picture.setPixel(33, 24, qRgb(0, 0, 0));
    return picture;
}

// The last mouse move a widget received, in its own coordinates.
class LastMove : public QObject {
  public:
    explicit LastMove(QObject& watched) { watched.installEventFilter(this); }
    std::optional<QPoint> at;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) {
            at = static_cast<QMouseEvent*>(event)->position().toPoint();
        }
        return QObject::eventFilter(watched, event);
    }
};

// A left-button drag from `from` to `to` over `veil` (which covers the screen), a few moves
// between, at a hand's pace. It begins once the veil shows the pointer where it stands: a
// compositor may show a window elsewhere for a moment before it makes it cover the screen.
void Drag(PointerDevice& pointer, QWidget& veil, QPoint from, QPoint to) {
    LastMove last(veil);
    int tries = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            // A move to where the pointer stands already is no move.
            const QPoint at = from + QPoint(++tries % 2, 0);
            pointer.moveTo(at.x(), at.y());
            QTest::qWait(50);
            return last.at == at;
        },
        10000))
        << "the screen pick never covered the screen";
    pointer.moveTo(from.x(), from.y());
    QTest::qWait(50);
    pointer.pressLeft(from.x(), from.y());
    constexpr int kSteps = 8;
    for (int step = 1; step <= kSteps; ++step) {
        QTest::qWait(20);
        const QPoint at = from + (to - from) * step / kSteps;
        pointer.moveTo(at.x(), at.y());
    }
    QTest::qWait(50);
    pointer.releaseLeft(to.x(), to.y());
}

}  // namespace

void DrawThroughTheWindowAndStopWithEscInIt(HeadlessDesktop& desktop, const char* name) {
    ASSERT_TRUE(desktop.running());
    int argc = 1;
    std::string program = name;
    char* argv[] = {program.data(), nullptr};
    QApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    QString error;
    SystemSession session = OpenSystemSession(&error);
    ASSERT_NE(session.pointer, nullptr) << error.toStdString();

    QTemporaryDir dir;
    RecordingDialogs dialogs;
    dialogs.confirmAnswer = true;
    frmGraph window(*session.pointer, &dialogs);
    window.setScreenReader(session.screen.get());
    window.setPointPicker(*session.pointPicker);
    window.setSettingsPath(dir.filePath(QStringLiteral("stylorex.ini")));
    window.load();
    window.waitMenu().choose(0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The compositor keeps the pointer to itself: the live field says so.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return NamedChild<QLabel>(window, "lblScreenPoint")->text() == QStringLiteral("--");
    }));

    // The target opens after the window, over it, as a program the user switches to.
    RecordingClient client(200, 200);
    ASSERT_TRUE(client.alive()) << desktop.log();
    // Mutter may move a new window once more after it first shows it, while the program's own
    // window is busy: the place counts once two probes, with the event loop run between them,
    // agree.
    std::optional<QPoint> windowAt;
    for (int probes = 0; probes < 5; ++probes) {
        QTest::qWait(300);
        const std::optional<QPoint> found = WindowOrigin(*session.pointer, client);
        if (found && found == windowAt) {
            break;
        }
        windowAt = found;
    }
    ASSERT_TRUE(windowAt) << "the client's window was not found";
    const QPoint origin = *windowAt + QPoint(50, 40);

    QLineEdit* startX = NamedChild<QLineEdit>(window, "txtStartX");
    QLineEdit* startY = NamedChild<QLineEdit>(window, "txtStartY");
    const auto originFields = [&] {
        return QPoint(startX->text().toInt(), startY->text().toInt());
    };
    PictureBox& canvas = *NamedChild<PictureBox>(window, "picSRC");

    // "描画範囲を選ぶ": a drag over the still of the screen, made by pointer events as a hand
    // makes it, picks the origin and the size the picture is fitted into.
    canvas.setPicture(Picture());
    NamedChild<QAction>(window, "mnu_pickArea")->trigger();
    ScreenPickOverlay& pick = window.placement().areaPick();
    ASSERT_EQ(pick.veils().size(), 1u)
        << "the screen pick did not open: " << dialogs.messageTexts().join(' ').toStdString();
    const QRect dragged(origin, QSize(80, 60));
    ASSERT_NO_FATAL_FAILURE(
        Drag(*session.pointer, *pick.veils()[0], dragged.topLeft(), dragged.bottomRight()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pick.veils().empty(); }, 10000))
        << "the drag did not end the pick";
    EXPECT_EQ(originFields(), dragged.topLeft());
    const QSize fitted = canvas.persistentImage().size();
    EXPECT_TRUE(fitted.width() <= dragged.width() && fitted.height() <= dragged.height() &&
                (fitted.width() == dragged.width() || fitted.height() == dragged.height()))
        << "the picture was not fitted into the rectangle dragged: " << fitted.width() << " x "
        << fitted.height();

    // Ctrl+G, outside a run: where the user's own pointer stands, as the compositor tells it,
    // asked once.
    for (const QPoint at : {origin + QPoint(30, 20), origin}) {
        // The keys come at once after the move: the compositor may tell the position a frame
        // or two later.
        desktop.userMovesPointer(at);
        NamedChild<QAction>(window, "mnu_getpt")->trigger();
        EXPECT_EQ(originFields(), at) << "Ctrl+G missed the pointer";
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messageTexts().join(' ').toStdString();

    canvas.setPicture(Picture());
    client.forget();
    QPushButton* start = NamedChild<QPushButton>(window, "cmdStart");
    start->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.statusPanel(3).isEmpty(); }, 60000));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [処理完了]"));
    ASSERT_EQ(dialogs.confirmations.size(), 1u);
    EXPECT_TRUE(dialogs.confirmations[0].text.contains(session.pointer->limits().stopAdvice()))
        << "the question does not say how to stop the run";
    // The window follows the target by default, and a follower that finds the target late may
    // hand a straight run over as one move, which the client joins: what counts is its ink.
    const QImage drawn = canvas.persistentImage();
    const QImage shown = client.shownCanvas().copy(QRect(origin - *windowAt, drawn.size()));
    EXPECT_EQ(testing::DarkPixels(shown), testing::DarkPixels(drawn))
        << Describe(OnScreen(client.events(), *windowAt));

    // A long run, and Esc in the window while it lasts.
    QImage square(100, 100, QImage::Format_RGB32);
    square.fill(Qt::black);
    canvas.setPicture(square);
    client.forget();
    QTimer::singleShot(500, &window, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
    start->click();
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [中断しました]"));
    const std::vector<ReceivedEvent> stopped = OnScreen(client.events(), *windowAt);
    ASSERT_FALSE(stopped.empty());
    EXPECT_EQ(stopped.back().kind, ReceivedEvent::Kind::Release) << Describe(stopped);
    EXPECT_LT(stopped.size(), 5000u) << "the run went on to its end";
}

}  // namespace stylorex::testing
