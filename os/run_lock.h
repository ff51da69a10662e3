#pragma once

#include <QString>

namespace stylorex {

// One drawing run at a time on a display: two runs driving the one pointer smear each other's
// strokes. A run holds its display's lock from before its first press to its end. The lock is
// a lock on a file named after the display in one folder of the user's own (the same whatever
// the environment says); the system drops it with its holder's process, however that ends, so a
// crashed run leaves no stale lock.
class RunLock {
  public:
    enum class State {
        Held,         // this lock holds the display
        HeldByOther,  // another run holds it (in this process or another one)
        Unavailable,  // the lock file could not be made or opened: error() says why
    };

    // Takes the lock of `display` at once, without waiting. `display` names the display the
    // way PointerDevice::displayName() does; an empty name locks nothing and counts as held.
    explicit RunLock(const QString& display);
    ~RunLock();
    RunLock(RunLock&& other) noexcept;
    RunLock& operator=(RunLock&& other) noexcept;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    State state() const { return state_; }
    // With Unavailable: the file and the system's reason, for the user.
    const QString& error() const { return error_; }

  private:
    int fd_ = -1;
    State state_ = State::Held;
    QString error_;
};

// The file RunLock locks for `display`: in /tmp/stylorex-UID, a folder of the user's own.
QString RunLockPath(const QString& display);

// The name of the X display a display string names, the same however it is written: ":120",
// "unix:120", ":120.0", "localhost:120", the host's own name and "/tmp/.X11-unix/X120" all give
// "x11-:120"; another host's display keeps its host ("x11-other:0").
QString X11DisplayLockName(const QString& displayString);

}  // namespace stylorex
