#pragma once

#include "os/system_session.h"

#include <QString>

namespace stylorex {

// The backend of the Wayland compositor named by WAYLAND_DISPLAY, picked by what the session
// offers, in this order: the virtual-pointer protocol (sway and other wlroots compositors);
// KWin on the session bus (KDE Plasma); Mutter's remote desktop on the session bus (GNOME);
// the desktop portal's remote desktop (GNOME where Mutter's interface is not reachable).
// Both null, with the reason in `error`, when none is there or the one picked cannot be had.
// `notice` is told before the portal asks the user.
SystemSession OpenWaylandDesktopSession(QString* error, const ApprovalNotice& notice);

}  // namespace stylorex
