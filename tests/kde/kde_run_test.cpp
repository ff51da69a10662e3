// Drawing runs on a headless KWin, as on a KDE Plasma desktop: the fake-input pointer, the
// screenshot read-back and the stop when the user moves the pointer, through the backend the
// program's start picks and through the real executable's draw command.
#include "tests/wayland/desktop_run.h"
#include "tests/wayland/headless_desktop.h"
#include "tests/x11/program_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>

namespace stylorex::testing {
namespace {

class KdeRun : public DesktopRun {
  protected:
    std::unique_ptr<HeadlessDesktop> startDesktop() override {
        // This test and the program may move the pointer; a copy of the program may not.
        return std::make_unique<HeadlessKWin>(std::vector<std::string>{
            QCoreApplication::applicationFilePath().toStdString(), STYLOREX_PROGRAM});
    }
};

TEST_F(KdeRun, LineArtArrivesExactlyAtWaitZeroAndFiveAndTheCheckFindsItExact) {
    engineDrawsExactlyAndChecks();
}

TEST_F(KdeRun, TheDrawCommandDrawsExactlyAndAnUnauthorisedCopyIsToldWhatToInstall) {
    drawCommandDrawsExactly();

    client->forget();
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("stylorex"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(STYLOREX_PROGRAM), copy));
    const QString picture = dir.filePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(LineArt(200).save(picture, "PNG"));
    QProcess process;
    process.start(copy, {QStringLiteral("draw"), picture, QStringLiteral("--at"),
                         QStringLiteral("100,100"), QStringLiteral("--yes")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    const QString message = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(message.contains(QStringLiteral("stylorex-kwin.desktop")) &&
                message.contains(QStringLiteral("Exec=") + copy))
        << message.toStdString();
    EXPECT_TRUE(client->events().empty());
}

TEST_F(KdeRun, MovingThePointerDuringARunStopsItWithTheReleaseLast) {
    movingThePointerStopsTheRun();
}

// A program that takes 50 ms for each frame reads nothing meanwhile; KWin disconnects a client
// that lets about a thousand moves pile up unread.
class KdeRunIntoSlowFrames : public KdeRun {
  protected:
    std::chrono::milliseconds clientFrameTime() const override {
        return std::chrono::milliseconds(50);
    }
};

TEST_F(KdeRunIntoSlowFrames, ALongStrokeAtWaitZeroArrivesWholeAndTheClientStaysConnected) {
    open();
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::black);
    EXPECT_GT(run(picture, 0), 0);
    expectExactStrokes(picture);
}

// KWin keeps the button of a fake input device whose program died or stopped: the guardian
// releases it.
TEST_F(KdeRun, CtrlZSigstopOrAKillMidStrokeLeavesNoButtonDown) {
    for (const int signal : {SIGTSTP, SIGSTOP, SIGKILL}) {
        SCOPED_TRACE(signal);
        aSignalMidStrokeLeavesNoButtonDown(signal);
        client->forget();
    }
}

}  // namespace
}  // namespace stylorex::testing
