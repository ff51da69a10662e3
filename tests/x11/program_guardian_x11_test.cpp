// Whatever ends the real program during a run, the left button does not stay down on the X
// server, and the program's guardian process does not outlive it.
#include "tests/x11/program_fixture.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <optional>
#include <string>

#include <X11/Xlib.h>
#include <dirent.h>
#include <sys/types.h>

namespace stylorex {
namespace {

using testing::Eventually;
using testing::ProgramX11;
using testing::ReceivedEvent;

// The state letter and parent of a process from /proc/<pid>/stat; nullopt once it is gone.
struct ProcessState {
    char state;
    pid_t parent;
};

std::optional<ProcessState> ReadProcessState(pid_t pid, std::string* name = nullptr) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return std::nullopt;
    }
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 4 > line.size()) {
        return std::nullopt;
    }
    if (name != nullptr) {
        *name = line.substr(open + 1, close - open - 1);
    }
    ProcessState state{line[close + 2], 0};
    state.parent = static_cast<pid_t>(std::stol(line.substr(close + 4)));
    return state;
}

// Gone, or a zombie no one has reaped yet: either way it does nothing any more.
bool ProcessGone(pid_t pid) {
    const auto state = ReadProcessState(pid);
    return !state || state->state == 'Z' || state->state == 'X';
}

std::optional<pid_t> GuardianOf(pid_t program) {
    std::optional<pid_t> found;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc != nullptr ? readdir(proc) : nullptr) {
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        std::string name;
        const auto state = pid > 0 ? ReadProcessState(pid, &name) : std::nullopt;
        if (state && state->parent == program && name == "stylorex-guard") {
            found = pid;
        }
    }
    if (proc != nullptr) {
        closedir(proc);
    }
    return found;
}

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
    // Stopped, the program cannot release the button itself: the signal meets it mid-stroke.
    ASSERT_EQ(::kill(pid(), SIGSTOP), 0);
    ASSERT_TRUE(Eventually([&] {
        const auto state = ReadProcessState(pid());
        return state && state->state == 'T';
    }));
    ASSERT_TRUE(session.leftButtonDown());

    ASSERT_EQ(::kill(pid(), GetParam()), 0);
    ASSERT_EQ(::kill(pid(), SIGCONT), 0);
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
