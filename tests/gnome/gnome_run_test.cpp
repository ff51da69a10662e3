// Drawing runs on a headless Mutter, as on a GNOME desktop: the remote desktop's pointer, the
// screen cast's read-back and the stop when the user moves the pointer, through the backend
// the program's start picks and through the real executable's draw command.
#include "tests/wayland/desktop_run.h"
#include "tests/wayland/headless_desktop.h"

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

}  // namespace
}  // namespace stylorex::testing
