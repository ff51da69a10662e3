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
// When the guardian cannot be started, runs work as before and stderr says so once.
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

  private:
    std::unique_ptr<ButtonGuardian> guardian_;
    Display* spare_ = nullptr;
    std::unique_ptr<FatalSignalWrite> lastWrite_;
};

}  // namespace stylorex
