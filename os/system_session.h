#pragma once

#include "os/point_picker.h"
#include "os/pointer_device.h"
#include "os/screen_reader.h"

#include <QString>

#include <memory>

namespace stylorex {

// The pointer and the screen read-back of the session the program runs in, opened together
// so that both belong to the same display.
struct SystemSession {
    std::unique_ptr<PointerDevice> pointer;
    // Null where this session's screen cannot be read back.
    std::unique_ptr<ScreenReader> screen;
    // How the origin capture learns its point here; null where the window's own screen pick
    // serves instead (a Wayland compositor without slurp).
    std::unique_ptr<PointPicker> pointPicker;
};

// Picks the backend for this session: X11 when the session is an X11 one with a display; when
// WAYLAND_DISPLAY names a compositor, the backend of its desktop (os/wayland_desktop.h).
// Otherwise both are null and `error` says why, in words a user can act on.
SystemSession OpenSystemSession(QString* error);

}  // namespace stylorex
