#pragma once

#include "os/pointer_device.h"
#include "os/stop_signals.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>

namespace stylorex {

// Notices the user moving the pointer while a run drives it, on desktops that let no program
// watch keys. The backend tells it each position it moves the pointer to, before sending the
// move; the compositor reports where the pointer stands, some time later, in order: every
// position it took, or a sample of them. A report that lies more than kTolerance pixels from
// every position moved to since the last report that matched was not one of the run's:
// somebody moved the pointer by hand (the run's next absolute move puts it back, so only the
// reports can tell).
//
// Reports are matched only once one of them has matched a move of the run: before that they
// may show where the pointer stood before the run (on the button that started it).
// moved() and start() come from the run's thread, reported() from any.
class ForeignMoveWatch {
  public:
    static constexpr int kTolerance = 3;

    // Forgets the moves and reports of an earlier run.
    void start();
    void moved(QPoint to);
    void reported(QPoint at);
    // Whether a foreign move was seen since the previous call.
    bool take();

  private:
    // Moves kept for reports that lag this far behind; older ones are dropped.
    static constexpr std::size_t kMaxPending = 1 << 16;

    std::mutex mutex_;
    std::deque<QPoint> pending_;
    bool armed_ = false;
    bool foreign_ = false;
};

// Esc pressed in one of this program's own windows, latched while installed: where keys meant
// for other programs cannot be watched, the program's window is the one place Esc can be seen.
class OwnWindowEsc : public QObject {
  public:
    // On the application object; from its thread.
    void install();
    void remove();
    // Whether Esc was pressed since the previous call.
    bool take();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool installed_ = false;
    std::atomic<bool> pressed_ = false;
};

// Everything that stops a run on a desktop that lets no program watch keys, for a backend's
// stop test: a job-control stop (held while a run lasts, as StopSignals explains), Esc in the
// program's own window, and the user moving the pointer (the backend tells moves() what it moves
// and what the compositor reports). From the run's thread, but for moves().reported().
class UserStop {
  public:
    ~UserStop() { runEnded(); }

    ForeignMoveWatch& moves() { return moves_; }
    // Forgets what came before the run; holds job-control stops until runEnded().
    void runStarting();
    void runEnded();
    // Whether the run should stop, since the previous call; every latch is emptied.
    bool take();
    // Why the last take() that answered true did.
    StopCause cause() const { return cause_; }

  private:
    ForeignMoveWatch moves_;
    OwnWindowEsc ownEsc_;
    StopSignals stops_;
    bool inRun_ = false;
    StopCause cause_ = StopCause::EscKey;
};

// Why Esc in other windows cannot stop a run on such a desktop, and how a run can be stopped
// there: the two sentences the question before such a run is made of.
QString EscUnseenElsewhereText();
QString StopByMovingThePointerText();

}  // namespace stylorex
