#pragma once

#include "engine/pixel_scan.h"
#include "engine/run_check.h"
#include "engine/user_commands.h"
#include "os/pointer_device.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRgb>

#include <cstdint>
#include <optional>

namespace stylorex {

// How the last drawing run ended.
struct RunResult {
    enum class Ending { None, Completed, Aborted, Failed };
    Ending ending = Ending::None;  // None until a run has ended
    std::int32_t strokes = 0;      // strokes drawn to their release
    RunCheck check;                // the target as the screen showed it after the run
    // With Aborted: what the pointer's stop test saw; none when a stop request of the program's
    // own (RunState::requestStop: a signal, the window closing) ended the run.
    std::optional<StopCause> stoppedBy;
};

// The target rectangle as the screen showed it before a run that resuming may go on with: a
// resumed run compares the screen with it to find what the target lost (a stroke it cancelled
// on Esc) and draws that again, and its check covers the whole picture against it.
struct TargetBefore {
    QImage image;  // null: not read
    QPoint topLeft;
    std::optional<QRgb> ink;  // the target's ink, once a run has learned it
};

// The one record of drawing runs: whether a run is in progress, the tables its scan built (the
// run clears Undrawn as it draws, so after an abort they still hold what was not drawn), the
// origin of the run in progress or the last one, and how the last one ended. Everything that
// must not change the picture under a run asks allows(); the main window follows
// inProgressChanged. A run yields to the event loop after every move, which is how those
// questions can arise while it is in progress.
class RunState : public QObject {
    Q_OBJECT
  public:
    explicit RunState(QObject* parent = nullptr);

    bool inProgress() const { return inProgress_; }
    // Whether `command` may act now: always between runs, during one as RunAllows says.
    bool allows(UserCommand command) const { return !inProgress_ || RunAllows(command); }

    // Marks a run at `origin` in progress and forgets an earlier stop request. Throws
    // std::logic_error while a run is in progress already: both would share the tables.
    void begin(QPoint origin);
    // Marks the run in progress ended with `result`.
    void end(const RunResult& result);

    // Asks the run in progress to stop at its next move, as Esc does; nothing when none is.
    void requestStop();
    bool stopRequested() const { return stopRequested_; }

    ScanTables& tables() { return tables_; }
    const ScanTables& tables() const { return tables_; }
    QPoint origin() const { return origin_; }
    const RunResult& lastResult() const { return lastResult_; }
    // Before the first of the runs that ResumeDrawing goes on with; a run that is not a
    // resumption sets it (null when it read no screen).
    TargetBefore& targetBefore() { return targetBefore_; }

    // Whether ResumeDrawing can go on with the last run: it was stopped (Esc or a stop request)
    // with pixels left undrawn in the tables, no run has begun since, and nobody has called
    // forgetResumableRun.
    bool resumable() const { return resumable_; }
    // What the stopped run would draw no longer matches the picture: the canvas or the extraction
    // settings have changed. The window calls this on every such change.
    void forgetResumableRun();

  signals:
    // True from begin, false from end.
    void inProgressChanged(bool running);
    // Each time resumable() changes.
    void resumableChanged(bool resumable);

  private:
    void setResumable(bool resumable);

    ScanTables tables_;
    QPoint origin_;
    RunResult lastResult_;
    TargetBefore targetBefore_;
    bool inProgress_ = false;
    bool stopRequested_ = false;
    bool resumable_ = false;
};

}  // namespace stylorex
