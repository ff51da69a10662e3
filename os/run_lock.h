#pragma once

#include <QString>

namespace stylorex {

// One drawing run at a time on a display: two runs driving the one pointer smear each other's
// strokes. A run holds its display's lock from before its first press to its end. The lock is
// a lock on a file in the user's runtime folder named after the display; the system drops it
// with its holder's process, however that ends, so a crashed run leaves no stale lock.
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

// The file RunLock locks for `display`: in $XDG_RUNTIME_DIR, or where that is not set, in a
// folder of the user's own in the temporary folder.
QString RunLockPath(const QString& display);

}  // namespace stylorex
