#pragma once

#include "os/system_session.h"

namespace stylorex {

// The Wayland backend on the compositor named by WAYLAND_DISPLAY: the virtual pointer, with
// Esc watched when sway's IPC answers at SWAYSOCK, and the screen read back through screencopy
// where the compositor offers it. Both null, with the reason in `error`, when the compositor
// cannot be reached or offers no virtual pointer.
SystemSession OpenWaylandSession(QString* error);

}  // namespace stylorex
