#pragma once

#include "os/point_picker.h"
#include "os/pointer_device.h"
#include "os/screen_reader.h"

#include <QString>

#include <functional>
#include <memory>

namespace stylorex {

// The pointer and the screen read-back of the session the program runs in, opened together
// so that both belong to the same display. Each backend opens one of its own; which backend
// serves the session is os/session_choice.h's decision.
struct SystemSession {
    std::unique_ptr<PointerDevice> pointer;
    // Null where this session's screen cannot be read back.
    std::unique_ptr<ScreenReader> screen;
    // How the origin capture learns its point here; null where the window's own screen pick
    // serves instead (a Wayland compositor without slurp).
    std::unique_ptr<PointPicker> pointPicker;
};

// Told, before a session is opened through a desktop's approval dialog, what that dialog will
// ask and how to answer it so that the program can draw; the one who opens the session shows
// it where the user looks (a message box for the window, the terminal for the command line).
using ApprovalNotice = std::function<void(const QString&)>;

}  // namespace stylorex
