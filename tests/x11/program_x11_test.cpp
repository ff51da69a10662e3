// The real program, started as a user starts it, on a real X server: its settings file beside
// the executable, the origin captured with Ctrl+G, the run started with Tab and Enter, and the
// program ended with SIGTERM.
#include "tests/x11/program_fixture.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <set>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::Pause;
using testing::ProgramX11;
using testing::ReceivedEvent;
using Kind = ReceivedEvent::Kind;

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
    // The target shows no ink, and the check waits 10 s for a target that paints late.
    ASSERT_TRUE(waitForTitle(
        [](const QString& t) { return t.contains(QStringLiteral("[処理完了]")); }, 20000))
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
