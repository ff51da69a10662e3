// Whatever ends the real program during a run, the left button does not stay down on the X
// server, and the program's guardian process does not outlive it.
#include "tests/x11/program_fixture.h"
#include "tests/x11/program_processes.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::Eventually;
using testing::GuardianOf;
using testing::ProcessGone;
using testing::ProgramX11;
using testing::ReceivedEvent;

class ProgramGuardianX11 : public ProgramX11 {
  protected:
    // A slow run over a canvas whose every pixel is a line pixel, started once the guardian
    // runs; returns with the button down in a stroke.
    void startSlowRun() {
        writeIni("[PickUpPattern]\r\nPattern=2\r\nWhiteUpper=256\r\n[Other]\r\nWaitTime=7\r\n");
        ASSERT_NO_FATAL_FAILURE(start());
        ASSERT_TRUE(Eventually([&] { return (guardian = GuardianOf(pid())).has_value(); }))
            << "no guardian process";
        ASSERT_NO_FATAL_FAILURE(captureOriginAndStart());
        ASSERT_TRUE(Eventually([&] { return session.leftButtonDown(); }, 3000, 1));
    }

    pid_t pid() const { return static_cast<pid_t>(process.processId()); }

    std::optional<pid_t> guardian;
};

class FatalSignalDuringRun : public ProgramGuardianX11,
                             public ::testing::WithParamInterface<int> {};

TEST_P(FatalSignalDuringRun, ReleasesTheButtonAndEndsTheGuardian) {
    ASSERT_NO_FATAL_FAILURE(startSlowRun());
    // The signal meets the program mid-stroke: every pixel is a line pixel, so the button is up
    // only for a moment between two rows.
    ASSERT_TRUE(Eventually([&] { return session.leftButtonDown(); }, 3000, 1));
    ASSERT_EQ(::kill(pid(), GetParam()), 0);
    EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 200, 1))
        << "the button is still down 200 ms after the signal";
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_FALSE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
    EXPECT_TRUE(Eventually([&] { return ProcessGone(*guardian); }, 1000, 5))
        << "the guardian outlived the program by more than a second";
}

INSTANTIATE_TEST_SUITE_P(Signals, FatalSignalDuringRun,
                         ::testing::Values(SIGKILL, SIGSEGV, SIGABRT),
                         [](const ::testing::TestParamInfo<int>& signal) {
                             return std::string(sigabbrev_np(signal.param));
                         });

TEST_F(ProgramGuardianX11, WindowDestroyedByAnotherClientEndsTheRunWithTheButtonUp) {
    ASSERT_NO_FATAL_FAILURE(startSlowRun());
    // What `xdotool windowclose` does: XDestroyWindow from another connection.
    XDestroyWindow(session.display(), *programWindow);
    XSync(session.display(), False);

    ASSERT_TRUE(process.waitForFinished(10000)) << "the run went on";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_FALSE(session.leftButtonDown());
    const auto events = received();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, ReceivedEvent::Kind::Release) << testing::Describe(events);
    EXPECT_TRUE(readIni().contains("CanvasWidth=200")) << "the settings were not saved";
    EXPECT_TRUE(ProcessGone(*guardian));
}

TEST_F(ProgramGuardianX11, NormalCloseLeavesNoGuardianBehind) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(Eventually([&] { return (guardian = GuardianOf(pid())).has_value(); }));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(ProcessGone(*guardian));
}

}  // namespace
}  // namespace stylorex
