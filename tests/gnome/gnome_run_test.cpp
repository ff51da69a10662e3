// Drawing runs on a headless Mutter, as on a GNOME desktop: the remote desktop's pointer, the
// screen cast's read-back and the stop when the user moves the pointer, through the backend
// the program's start picks and through the real executable's draw command.
#include "tests/wayland/desktop_run.h"
#include "tests/wayland/headless_desktop.h"

#include <signal.h>

namespace stylorex::testing {
namespace {

class GnomeRun : public DesktopRun {
  protected:
    std::unique_ptr<HeadlessDesktop> startDesktop() override {
        return std::make_unique<HeadlessMutter>();
    }
};

TEST_F(GnomeRun, LineArtArrivesExactlyAtWaitZeroAndFiveAndTheCheckFindsItExact) {
    engineDrawsExactlyAndChecks();
}

TEST_F(GnomeRun, TheDrawCommandDrawsExactly) {
    drawCommandDrawsExactly();
}

TEST_F(GnomeRun, MovingThePointerDuringARunStopsItWithTheReleaseLast) {
    movingThePointerStopsTheRun();
}

TEST_F(GnomeRun, CtrlZOrAKillMidStrokeLeavesNoButtonDown) {
    // Mutter ends the remote desktop session of a program that died, and its button with it.
    for (const int signal : {SIGTSTP, SIGKILL}) {
        SCOPED_TRACE(signal);
        aSignalMidStrokeLeavesNoButtonDown(signal);
        client->forget();
    }
}

}  // namespace
}  // namespace stylorex::testing
