#pragma once

#include "engine/drawing_run.h"
#include "os/system_session.h"
#include "tests/wayland/headless_desktop.h"
#include "tests/wayland/recording_client.h"

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace stylorex::testing {

// Where the recording client's window lies, found through the pointer: moved onto a point of
// the window, the pointer enters it at a point of the window's own. Tries where the desktops
// put a new window first, then the whole screen. Leaves the pointer at (5, 5) and the client's
// record empty. Nothing when the window lies under none of the points tried.
std::optional<QPoint> WindowOrigin(PointerDevice& pointer, RecordingClient& client);

// Drawing runs through the backend that the program's start picks on a KDE or GNOME desktop,
// into a client of the test's own, with no fake on the path: the cases both desktops share.
// Each case starts its own compositor (desktop()).
class DesktopRun : public ::testing::Test {
  protected:
    static constexpr int kClientSide = 300;

    void SetUp() override;
    virtual std::unique_ptr<HeadlessDesktop> startDesktop() = 0;
    // How long the client reads nothing after each frame it shows.
    virtual std::chrono::milliseconds clientFrameTime() const {
        return std::chrono::milliseconds(0);
    }

    // Opens the session as the program does and finds the client's window.
    void open();
    // One run of `picture` at the origin, at `wait`; with the screen when `check`, so that the
    // run follows the target's ink where asked and checks the result.
    std::int32_t run(const QImage& picture, std::int16_t wait, bool check = false);
    void expectExactStrokes(const QImage& picture);
    QPoint origin() const { return windowAt + QPoint(50, 40); }

    // `stylorex draw` of a black square at the origin, a long run at wait 2 with --json, in a
    // process group of its own as a shell's job is.
    void startLongDraw(QProcess& process, const QTemporaryDir& dir);

    // Line art at wait 0 arrives exactly and the run's check finds it so; at wait 5 too.
    void engineDrawsExactlyAndChecks();
    // The same through `stylorex draw`, which asks before a run Esc cannot stop and names the
    // way that stops it.
    void drawCommandDrawsExactly();
    // The user's hand on the mouse during a run of `stylorex draw` stops it, with the button
    // released last, and the command names the mouse as what stopped it.
    void movingThePointerStopsTheRun();
    // `signal` to `stylorex draw` mid-stroke leaves no button down: Ctrl+Z (SIGTSTP) and SIGSTOP
    // while the program is stopped, after which the continued run ends naming the stop; SIGKILL
    // for good.
    void aSignalMidStrokeLeavesNoButtonDown(int signal);

    std::unique_ptr<HeadlessDesktop> desktop;
    std::unique_ptr<RecordingClient> client;
    SystemSession session;
    RunState runs;
    QPoint windowAt;
};

}  // namespace stylorex::testing
