#pragma once

#include "os/system_session.h"

#include <QString>

namespace stylorex {

// The X11 backend on the display in DISPLAY: XTest's pointer, the root window read back, the
// pointer's position as the origin's point. Null, with the reason in `error`, in a Wayland
// session (XTest would move only XWayland's pointer), without a display, or when the X server
// cannot be reached or lacks XTest.
SystemSession OpenX11Session(QString* error);

}  // namespace stylorex
