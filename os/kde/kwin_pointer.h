#pragma once

#include "os/pointer_device.h"
#include "os/wayland/user_stop.h"

#include <QPoint>
#include <QSize>

#include <chrono>
#include <memory>

struct org_kde_kwin_fake_input;

namespace stylorex {

class ButtonGuardian;
class KWinCursorWatch;
class WaylandConnection;

// The pointer on KDE Plasma's Wayland session: KWin's fake-input protocol, which KWin offers
// only to programs a desktop file authorises (kde_session.h). Moves are absolute over the
// desktop of all outputs, buttons are BTN_LEFT, and each call returns once KWin has applied
// it (a round trip), which keeps events in order; moves are held to a pace the window under
// the pointer can follow (paced()).
//
// A guardian process with a fake input device of its own releases the button when the program
// dies or is stopped with it down (os/button_guardian.h).
//
// No key can be watched: a run stops when the user moves the pointer (KWin reports where the
// pointer stands through a script while a run lasts) or presses Esc in this program's window.
class KWinPointer : public PointerDevice, public StopWatch, public PointerLimits {
  public:
    // Null when KWin does not offer this program the fake input. `watch` may be null: then
    // only Esc in this program's window stops a run.
    static std::unique_ptr<KWinPointer> open(std::shared_ptr<WaylandConnection> connection,
                                             std::shared_ptr<KWinCursorWatch> watch);
    ~KWinPointer() override;
    KWinPointer(const KWinPointer&) = delete;
    KWinPointer& operator=(const KWinPointer&) = delete;

    void moveTo(int x, int y) override;
    void pressLeft(int x, int y) override;
    void releaseLeft(int x, int y) override;
    // Esc in this program's window, the pointer moved by somebody else, or a job-control stop,
    // since the last call.
    bool escPressed() override;
    StopCause stopCause() const override { return stop_.cause(); }
    // The last position a move put the pointer on.
    QPoint position() override;
    bool canReadPosition() const override { return false; }
    QSize primaryScreenSize() override;
    bool canWatchEsc() const override { return false; }
    QString displayName() const override;
    QString whyEscCannotStop() const override;
    QString stopAdvice() const override;
    void runStarting() override;
    void runEnded() override;

  private:
    KWinPointer(std::shared_ptr<WaylandConnection> connection, org_kde_kwin_fake_input* input,
                std::shared_ptr<KWinCursorWatch> watch);
    void button(bool pressed);
    // Holds the moves to a pace the window under the pointer can follow.
    void paced();

    std::shared_ptr<WaylandConnection> connection_;
    org_kde_kwin_fake_input* input_;
    std::shared_ptr<KWinCursorWatch> watch_;
    // Releases the button when the program dies or is stopped with it down; null when it could
    // not be started (then said once on stderr).
    std::unique_ptr<ButtonGuardian> guardian_;
    UserStop stop_;
    bool pressed_ = false;
    QPoint position_{0, 0};
    int sentInBatch_ = 0;
    std::chrono::steady_clock::time_point batchStart_;
};

}  // namespace stylorex
