#pragma once

#include "engine/run_check.h"

#include <chrono>
#include <cstdint>

namespace stylorex {

// How far a run has got.
struct RunProgress {
    std::int32_t strokesDone = 0;
    std::int32_t strokesTotal = 0;  // of this run; a resumed run counts what it has to draw
    // From the run's plan and what is left of it (EstimatedRunTime), at the pace the followed
    // target has shown so far in the follow mode.
    std::chrono::milliseconds timeLeft{0};
};

// The shortest time between two progress reports.
inline constexpr std::chrono::milliseconds kProgressInterval{100};

// The stages of a run, told in this order. A run ends in Completed or Aborted, or, when an
// exception leaves it, in neither.
enum class RunPhase {
    Preparing,  // the run has begun; its tables are being made ready (the scan)
    Drawing,    // the strokes are under way
    Completed,  // every stroke drawn, and the target checked where the screen can be read
    Aborted,    // stopped by Esc or a stop request, the button up
};

// What a run tells whoever watches it, as data: the window and the command line put it into
// words each in their own way. Every call comes on the run's thread, between moves, possibly
// with the button held: keep it short, and never start anything modal.
class RunObserver {
  public:
    virtual ~RunObserver() = default;

    virtual void phaseChanged(RunPhase phase) = 0;
    // From the run's yields, at most every kProgressInterval of the run's clock, and once more
    // when the run completes (then strokesDone == strokesTotal and timeLeft is zero), never
    // after that. A run stopped by Esc or a request sends no last report.
    virtual void progressed(const RunProgress& /*progress*/) {}
    // A keyboard modifier is held (the run was started with a key chord): the run waits until
    // it is up before its first press. Told once, before Drawing; Esc still stops the run.
    virtual void waitingForKeysUp() {}
    // The run has read the target rectangle and will check it once the strokes are drawn:
    // whatever was said of an earlier run's check no longer stands.
    virtual void checkPending() {}
    // The follow mode saw no ink for so long that the rest of the run uses the fixed wait.
    // Told once per run.
    virtual void fellBackToFixedWait() {}
    // The strokes are drawn; the run waits until the target rectangle has settled (a target may
    // still be catching up: SettleRules in engine/target_check.h) before it counts. checked()
    // follows.
    virtual void checking() {}
    // The check of a run whose strokes were all drawn (also when it could not be made:
    // RunCheck::Outcome): before Completed, or after Aborted when a stop came while the run
    // mended what the check found missing (engine/target_check.h).
    virtual void checked(const RunCheck& /*check*/) {}
};

}  // namespace stylorex
