#pragma once

#include "os/pointer_device.h"
#include "os/wayland/user_stop.h"

#include <QPoint>
#include <QSize>

#include <memory>

namespace stylorex {

class PipeWireCapture;
class RemoteInput;

// The pointer on GNOME's Wayland session, through a remote desktop session of Mutter's
// (remote_input.h): absolute moves over the recorded monitor, BTN_LEFT, each call awaited.
//
// No key can be watched: a run stops when the user moves the pointer (the screen cast reports
// the pointer's position with its frames, up to once a refresh) or presses Esc in this
// program's window.
class GnomePointer : public PointerDevice, public StopWatch, public PointerLimits {
  public:
    GnomePointer(std::shared_ptr<RemoteInput> input, std::shared_ptr<PipeWireCapture> capture);
    ~GnomePointer() override;
    GnomePointer(const GnomePointer&) = delete;
    GnomePointer& operator=(const GnomePointer&) = delete;

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
    // The recorded monitor's size: the moves reach no other.
    QSize primaryScreenSize() override;
    bool canWatchEsc() const override { return false; }
    QString displayName() const override;
    QString whyEscCannotStop() const override;
    QString stopAdvice() const override;
    void runStarting() override;
    void runEnded() override;

  private:
    // Holds back the first move until Mutter has set up the session's pointer device.
    void waitUntilReady(QPoint first);
    void button(bool pressed);

    std::shared_ptr<RemoteInput> input_;
    std::shared_ptr<PipeWireCapture> capture_;
    UserStop stop_;
    bool ready_ = false;
    bool pressed_ = false;
    QPoint position_{0, 0};
};

}  // namespace stylorex
