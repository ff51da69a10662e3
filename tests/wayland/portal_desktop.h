#pragma once

#include "tests/wayland/headless_desktop.h"

#include <atomic>
#include <memory>

namespace stylorex::testing {

// What the user chooses in the desktop portal's approval dialog.
enum class PortalAnswer {
    // The remote interaction switch turned on, then 共有.
    ShareWithInteraction,
    // 共有 with the switch left as the dialog opens (off): the screen, not the pointer.
    ShareScreenOnly,
};

// GNOME as a sandboxed program sees it: the headless Mutter with the desktop portal and
// GNOME's portal backend (started by the bus on first use, as in a session), while this
// process's DBUS_SESSION_BUS_ADDRESS names a filtering proxy of the bus that shows only the
// portal, so that Mutter's own interface is out of reach and the program goes through the
// portal. A hand of the test's own, on the real bus, answers every approval dialog that
// appears: it finds the dialog's 共有 button and the switch on the screen and clicks them.
class HeadlessMutterBehindPortal : public HeadlessMutter {
  public:
    explicit HeadlessMutterBehindPortal(PortalAnswer answer);
    ~HeadlessMutterBehindPortal() override;

    // How many dialogs have been answered and have gone.
    int dialogsAnswered() const { return answered_; }

  private:
    // Hands the bus's programs the session's variables and names the proxy in this process.
    void goBehindPortal();
    void answerDialogs(PortalAnswer answer);

    std::atomic<bool> stopping_ = false;
    std::atomic<int> answered_ = 0;
    struct Hand;
    std::unique_ptr<Hand> hand_;
};

}  // namespace stylorex::testing
