// How a run notices the user on desktops that let no program watch keys: the pointer reported
// somewhere the run did not move it, Esc in the program's own window, or a job-control stop;
// and which of them stopped the run.
#include "os/wayland/user_stop.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <csignal>

namespace stylorex {
namespace {

// A stroke to the right from (100, 100), one pixel a move, as the watch is told of it.
void MoveRight(ForeignMoveWatch& watch, int from, int to) {
    for (int x = from; x <= to; ++x) {
        watch.moved(QPoint(x, 100));
    }
}

TEST(ForeignMoveWatch, LateAndSampledReportsOfTheRunsOwnMovesAreNotTheUsers) {
    ForeignMoveWatch watch;
    watch.start();
    MoveRight(watch, 100, 160);
    // The compositor reports some positions long after they were moved to, skipping others.
    for (int x : {100, 101, 130, 131, 131, 159}) {
        watch.reported(QPoint(x, 100));
    }
    EXPECT_FALSE(watch.take());
    MoveRight(watch, 161, 170);
    watch.reported(QPoint(165, 100));
    EXPECT_FALSE(watch.take());
}

TEST(ForeignMoveWatch, APositionFarFromTheRunsMovesIsTheUsersAndANearOneIsNot) {
    ForeignMoveWatch watch;
    watch.start();
    MoveRight(watch, 100, 120);
    watch.reported(QPoint(105, 100));
    // The user pushed the pointer down 30 pixels between two of the run's moves.
    watch.reported(QPoint(112, 130));
    EXPECT_TRUE(watch.take());
    EXPECT_FALSE(watch.take()) << "the latch was not emptied";
    // A pixel or two off the run's path is rounding, not a hand on the mouse.
    watch.reported(QPoint(114, 102));
    EXPECT_FALSE(watch.take());
}

TEST(ForeignMoveWatch, WhereThePointerStoodBeforeTheRunIsNotAMoveOfTheUsers) {
    ForeignMoveWatch watch;
    watch.start();
    MoveRight(watch, 100, 110);
    // Reported before the run's first move arrived: the pointer on the button that started it.
    watch.reported(QPoint(900, 700));
    EXPECT_FALSE(watch.take());
    watch.reported(QPoint(100, 100));
    watch.reported(QPoint(900, 700));
    EXPECT_TRUE(watch.take());

    // A new run forgets the old one's moves and reports.
    watch.start();
    watch.reported(QPoint(900, 700));
    MoveRight(watch, 300, 310);
    watch.reported(QPoint(100, 100));
    EXPECT_FALSE(watch.take());
}

TEST(OwnWindowEsc, EscInTheProgramsWindowIsLatchedOnlyWhileInstalled) {
    int argc = 1;
    char name[] = "test_os_user_stop";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QObject window;
    auto press = [&](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &event);
    };
    OwnWindowEsc esc;
    press(Qt::Key_Escape);
    esc.install();
    EXPECT_FALSE(esc.take()) << "an Esc from before the run counted";
    press(Qt::Key_A);
    EXPECT_FALSE(esc.take());
    press(Qt::Key_Escape);
    EXPECT_TRUE(esc.take());
    EXPECT_FALSE(esc.take());
    esc.remove();
    press(Qt::Key_Escape);
    EXPECT_FALSE(esc.take());
}

TEST(UserStop, EachStopDuringARunIsNamedAndAContinueCountsOnlyThen) {
    int argc = 1;
    char name[] = "test_os_user_stop";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QObject window;
    UserStop stop;
    // A process continued outside a run (after Ctrl+Z at the prompt) draws nothing to stop.
    ASSERT_EQ(std::raise(SIGCONT), 0);
    stop.runStarting();
    EXPECT_FALSE(stop.take());

    stop.moves().moved(QPoint(100, 100));
    stop.moves().reported(QPoint(100, 100));
    stop.moves().reported(QPoint(100, 160));
    EXPECT_TRUE(stop.take());
    EXPECT_EQ(stop.cause(), StopCause::PointerMoved);

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &esc);
    EXPECT_TRUE(stop.take());
    EXPECT_EQ(stop.cause(), StopCause::EscKey);
    EXPECT_FALSE(stop.take());

    // SIGSTOP is seen only by the SIGCONT after it; either ends the run, named as a stop.
    ASSERT_EQ(std::raise(SIGCONT), 0);
    EXPECT_TRUE(stop.take());
    EXPECT_EQ(stop.cause(), StopCause::Suspended);
    stop.runEnded();
    EXPECT_FALSE(stop.take()) << "a stop of the ended run still counted";
}

}  // namespace
}  // namespace stylorex
