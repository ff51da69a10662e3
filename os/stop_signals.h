#pragma once

#include <cstdint>

namespace stylorex {

// Job-control stops: Ctrl+Z in a terminal (SIGTSTP), a background process at its terminal
// (SIGTTIN, SIGTTOU), and the continue after any stop (SIGCONT, also after SIGSTOP, which no
// handler sees).
//
// A process stopped with the left button held leaves the user's whole desktop dragging until it
// is continued. So while stops are held (a run is in progress), a stop signal does not stop the
// process at once: it is noted, the run sees it and ends, releasing the button, and the stop
// takes effect when the hold ends. Outside a hold the process stops as it always would.
// One instance per backend; the handlers are installed with the first and stay.
class StopSignals {
  public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // From now on a stop signal waits for endHold(). Also notes the continues counted so far.
    void hold();
    // The hold ends; a stop signal that came during it stops the process now, and this returns
    // once the process has been continued.
    void endHold();
    // Whether, since hold(), a stop signal has come or the process has been stopped and
    // continued (SIGSTOP is seen only by its SIGCONT): the run should end now. Costs no
    // system call.
    bool interruptedDuringHold() const;

    // Whether the handlers could be installed.
    bool installed() const { return installed_; }

  private:
    std::uint64_t continuesAtHold_ = 0;
    bool installed_ = false;
};

}  // namespace stylorex
