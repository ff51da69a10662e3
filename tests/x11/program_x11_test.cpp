// The real program, started as a user starts it, on a real X server: its settings file beside
// the executable, the origin captured with Ctrl+G, the run started with Tab and Enter, and the
// program ended with SIGTERM.
#include "os/x11/x11_pointer.h"
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::Pause;
using testing::ReceivedEvent;
using testing::TargetWindow;
using testing::X11Session;
using Kind = ReceivedEvent::Kind;

class ProgramX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(target.mapped());
        // The settings file lies beside the executable, so the program runs from a copy.
        program = dir.filePath(QStringLiteral("stylorex"));
        ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
        session.moveTo(5, 5);
        target.discard();
    }

    void TearDown() override {
        testing::StopProgram(process);
        session.restore();
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("stylorex.ini")); }

    void writeIni(const QByteArray& text) {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray readIni() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts the program and gives its window the keyboard, as a user's click on it would
    // (there is no window manager on the test server).
    void start() {
        ASSERT_NO_FATAL_FAILURE(testing::StartOnX11(process, program));
        for (int i = 0; i < 100 && !programWindow; ++i) {
            Pause(100);
            programWindow = testing::FindProgramWindow(session.display(), process.processId());
        }
        ASSERT_TRUE(programWindow.has_value()) << "the main window did not appear";
        Pause(300);
        testing::GiveKeyboard(session.display(), *programWindow);
        Pause(300);
    }

    QString title() { return testing::WindowTitle(session.display(), *programWindow); }

    // Polls the program's title. The target's events are read only once the program has gone
    // quiet: reading them waits for a pause in the stream, which a run never makes.
    bool waitForTitle(const std::function<bool(const QString&)>& done, int ms) {
        return testing::Eventually([&] { return done(title()); }, ms, 20);
    }

    // Ctrl+G over the target, then Tab and Enter until the run begins, as the instructions
    // on the window tell a user to do.
    void captureOriginAndStart() {
        session.moveTo(kOriginX, kOriginY);
        Pause(100);
        testing::TypeKey(session.display(), XK_g, true);
        ASSERT_TRUE(waitForTitle(
            [](const QString& t) { return t.contains(QStringLiteral("[座標取得]")); }, 5000))
            << title().toStdString();
        ASSERT_TRUE(testing::TabAndEnterUntilRunStarts(session.display(), [&] { return title(); }))
            << "Tab and Enter never started a run";
    }

    std::vector<ReceivedEvent> received() { return target.collect(); }

    QTemporaryDir dir;
    QString program;
    X11Session session;
    TargetWindow target{testing::kTargetX, testing::kTargetY, 300, 300};
    QProcess process;
    std::optional<unsigned long> programWindow;
};

TEST_F(ProgramX11, SigtermDuringARunLeavesTheButtonUpAndWritesTheSettings) {
    // Every pixel of the blank canvas is a line pixel: a long run.
    writeIni("[PickUpPattern]\r\nPattern=2\r\nWhiteUpper=256\r\n[Other]\r\nWaitTime=3\r\n");
    start();
    captureOriginAndStart();
    EXPECT_EQ(title(), QStringLiteral("Stylorex [描画開始-wait 3ms] Escキーで中断"));
    Pause(300);
    ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before the signal";

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(session.leftButtonDown());

    const auto events = received();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, Kind::Release) << testing::Describe(events);
    // Far fewer than the canvas's 40,000 pixels were drawn.
    EXPECT_LT(events.size(), 20000u);

    const QByteArray ini = readIni();
    EXPECT_TRUE(ini.contains("Pattern=2")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("WhiteUpper=256")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("WaitTime=3")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("CanvasWidth=200")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("LastText=")) << ini.toStdString();
}

TEST_F(ProgramX11, SettingsFromAPreviousStartAreHonoured) {
    // A 4 × 3 canvas in the non-white mode with no wait: exactly its twelve pixels are drawn.
    writeIni(
        "[PickUpPattern]\r\nPattern=2\r\nWhiteUpper=256\r\n[Other]\r\nWaitTime=0\r\n"
        "CanvasHeight=3\r\nCanvasWidth=4\r\n");
    start();
    captureOriginAndStart();
    ASSERT_TRUE(waitForTitle(
        [](const QString& t) { return t.contains(QStringLiteral("[処理完了]")); }, 10000))
        << title().toStdString();
    const auto events = received();

    std::set<std::pair<int, int>> drawn;
    bool buttonDown = false;
    for (const ReceivedEvent& e : events) {
        if (e.kind == Kind::Press) {
            buttonDown = true;
        } else if (e.kind == Kind::Release) {
            buttonDown = false;
        }
        if (buttonDown || e.kind != Kind::Motion) {
            drawn.insert({e.x - kOriginX, e.y - kOriginY});
        }
    }
    std::set<std::pair<int, int>> canvas;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            canvas.insert({x, y});
        }
    }
    EXPECT_EQ(drawn, canvas) << testing::Describe(events);
    EXPECT_FALSE(session.leftButtonDown());

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray ini = readIni();
    EXPECT_TRUE(ini.contains("CanvasHeight=3")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("CanvasWidth=4")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("WaitTime=0")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("Pattern=2")) << ini.toStdString();
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
