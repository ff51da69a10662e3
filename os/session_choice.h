#pragma once

#include "os/system_session.h"

#include <QString>

namespace stylorex {

// Picks the backend for this session and opens it: the Wayland backend when WAYLAND_DISPLAY
// names a compositor, the X11 backend otherwise. Where it cannot be opened, the pointer and the
// screen are null and `error` says why, in the backend's words a user can act on. A backend
// left out of the build (STYLOREX_WITH_X11, STYLOREX_WITH_WAYLAND) says so. Where the desktop
// asks the user to approve the session first, `notice` is told before the question appears.
SystemSession OpenSystemSession(QString* error, const ApprovalNotice& notice = {});

}  // namespace stylorex
