#pragma once

#include "engine/colour_settings.h"
#include "engine/monotonic_clock.h"
#include "engine/pixel_scan.h"
#include "engine/run_check.h"
#include "engine/run_events.h"
#include "engine/run_plan.h"
#include "engine/run_state.h"
#include "os/pointer_device.h"
#include "os/screen_reader.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace stylorex {

// What a drawing run needs from its surroundings.
struct RunServices {
    PointerDevice& pointer;
    // Lets pending window events run, then returns.
    std::function<void()> yield;
    MonotonicClock& clock;
    // The screen read back: the follow mode waits for the ink on it, and a completed run is
    // checked against it. Null: neither.
    ScreenReader* screen = nullptr;
    // Where the program's own window lies on the screen, frame included, when the run starts and
    // when it is checked: a target rectangle it covers cannot be checked (nor mended). Empty: no
    // window of ours is in the way.
    std::function<QRect()> ownWindow = {};
    // Told the run's phases, progress and check (engine/run_events.h). Null: nobody watches,
    // and the run neither plans its progress nor reports it. RunState::inProgressChanged(false)
    // tells that a run has ended, whichever way.
    RunObserver* observer = nullptr;
};

// The settings a run reads.
struct RunSettings {
    ExtractionSettings extraction;
    std::int16_t WaitTime = kDefaultWaitMs;
    RunModes modes;
    // Which check a completed run gets (CheckTolerance, with the pen of `modes`).
    CheckChoice check = CheckChoice::Auto;
    // Set: the picture is drawn in the target's own colours instead of one ink, as a RunRequest
    // (run/run_request.h) makes such a run (engine/colour_run.h). The runs below draw one ink.
    std::optional<ColourSettings> colour;
};

// The left button as a run holds it, lent to what the run does between its strokes: whatever is
// pressed through it is released on every way out of the run.
class RunButton {
  public:
    virtual ~RunButton() = default;
    virtual void press(QPoint at) = 0;
    virtual void release(QPoint at) = 0;
};

// A run drawn in passes over tables of their own, one after another at the run's origin: the
// colour run's inks (engine/colour_run.h). Each pass is drawn as a run over its tables is, with
// its own read-back, follow mode, check and mending; the phases, the progress and the check told
// cover the whole run. Between passes the button is up.
class RunPasses {
  public:
    virtual ~RunPasses() = default;
    virtual std::size_t count() const = 0;
    // The tables of `pass`; its run clears Undrawn as it draws.
    virtual ScanTables& tables(std::size_t pass) = 0;
    // Before the strokes of `pass`, the button up.
    virtual void beforePass(std::size_t pass, RunButton& button) = 0;
    // The first press of `pass` has been made at `at` (screen) and is held. May throw to end the
    // run; the button is released on the way out.
    virtual void firstPress(std::size_t pass, QPoint at, RunButton& button) = 0;
    // Every pass drawn: the run's check, from each pass's own, in pass order.
    virtual RunCheck check(const std::vector<RunCheck>& passes) = 0;
};

// Marks a run in progress on `state`, scans `picture` (the committed persistent image) into its
// tables, then replays every stroke through the pointer at origin + pixel. Returns the number
// of strokes completed, also after an abort (Esc, or a stop requested on `state`, both tested
// after every move). The left button is released on every way out, and then the run is marked
// ended with its result; an exception from the pointer, the observer or a callback is rethrown
// after that. The pointer's runStarting() and runEnded() come first and last, whichever way the
// run ends. A run started on `state` while another is in progress (through a yield) throws
// std::logic_error. The observer is told RunPhase::Preparing before the scan, Drawing before the
// first stroke, and Completed or Aborted at the end.
//
// With JoinRuns, a stroke's moves go to the ends of its straight runs only (RunModes). With a
// screen in `services`, the run reads the target rectangle (origin, the scanned picture's size)
// before it starts; with FollowTarget it then waits for the ink instead of WaitTime
// (InkFollower), falling back to WaitTime when the target shows none. A completed run waits until
// the rectangle stops changing and compares it with what it was before, and with FollowTarget
// presses each missing pixel again and checks again, twice at most (TargetCheck). Before each read
// for the check the pointer leaves the rectangle (a target may paint its cursor there): back
// where it stood when the run began when that is clear of it, else just beyond a corner. The
// check is kept in the state's lastResult(); the observer is told it before Completed.
std::int32_t RunDrawing(const QImage& picture, std::int32_t originX, std::int32_t originY,
                        const RunSettings& settings, RunServices& services, RunState& state);

// As RunDrawing, over `tables` scanned from the picture already (ScanPicture): they become the
// state's, and no scan is made.
std::int32_t RunDrawing(ScanTables tables, QPoint origin, const RunSettings& settings,
                        RunServices& services, RunState& state);

// As RunDrawing, over the tables of `passes`, each pass after the one before. The state's own
// tables are emptied, so a run in passes stopped midway cannot be resumed.
std::int32_t RunDrawingInPasses(RunPasses& passes, QPoint origin, const RunSettings& settings,
                                RunServices& services, RunState& state);

// Goes on with the run that `state` says can be resumed (RunState::resumable()): draws what that
// run left undrawn in its tables, from the first stroke not yet drawn, at its origin, with the
// phases of a run and everything else as RunDrawing does (without its scan). With a screen, it
// first reads the whole picture's rectangle back and draws again every line pixel drawn before
// that the screen no longer shows (against the rectangle before the first run: a target that
// cancelled the stroke in progress on Esc), and its check covers the whole picture against that.
// Throws std::logic_error when nothing can be resumed.
std::int32_t ResumeDrawing(const RunSettings& settings, RunServices& services, RunState& state);

}  // namespace stylorex
