#pragma once

#include "os/button_guardian.h"
#include "os/fatal_signals.h"

#include <memory>

typedef struct _XDisplay Display;

namespace stylorex {

// What releases a button the X11 backend holds when the program dies instead of releasing it:
// - the guardian process, which releases it through XTest on a connection of its own when the
//   program is gone, however it went;
// - on a fatal signal, an XTest release request built in advance and written by the signal
//   handler to a spare connection that is used for nothing else, so that the stream of
//   requests on it is always whole: the release happens before the process dies, also without
//   a guardian.
// Without a guardian no run starts (X11Pointer): a guardian that died is started again before
// the next run.
class X11ButtonGuard {
  public:
    X11ButtonGuard();
    ~X11ButtonGuard();
    X11ButtonGuard(const X11ButtonGuard&) = delete;
    X11ButtonGuard& operator=(const X11ButtonGuard&) = delete;

    // Before the press is sent.
    void pressing();
    // Once the server has the button up again.
    void released();

    bool hasGuardian() const { return guardian_ != nullptr; }
    // Ends the guardian there is (dead or alive) and starts a new one; false with the reason in
    // `error` when it cannot be started.
    bool restartGuardian(std::string* error);
    // The program's end of the pipe to the guardian, -1 without one: it turns readable when
    // the guardian dies.
    int guardianFd() const { return guardian_ ? guardian_->fd() : -1; }
    // Releases the button through the spare connection, or where that is lost through the
    // guardian: for when the program's own connection is lost.
    void releaseElsewhere();

  private:
    std::unique_ptr<ButtonGuardian> guardian_;
    Display* spare_ = nullptr;
    std::unique_ptr<FatalSignalWrite> lastWrite_;
};

}  // namespace stylorex
