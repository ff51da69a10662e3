#pragma once

#include <QPoint>
#include <QRect>

#include <cstdint>

namespace stylorex {

// A remote desktop session of GNOME's compositor, recording one monitor: the pointer moved and
// pressed over that monitor's screen cast stream, and the stream to read the screen from.
// Reached through Mutter's own D-Bus interface or through the desktop portal.
class RemoteInput {
  public:
    virtual ~RemoteInput() = default;

    // The recorded monitor, in desktop pixels.
    virtual QRect monitor() const = 0;
    // These return once the compositor has handled the event (moves sent without waiting were
    // lost), and throw std::runtime_error once the session has ended. `at` is in the monitor's
    // pixels.
    virtual void motion(QPoint at) = 0;
    virtual void button(bool pressed) = 0;
    // The monitor's PipeWire stream: its node, and the daemon to reach it through (-1: the
    // session's own).
    virtual std::uint32_t pipeWireNode() const = 0;
    virtual int pipeWireFd() const { return -1; }
};

}  // namespace stylorex
