#pragma once

#include "os/system_session.h"

#include <QString>

#include <memory>

namespace stylorex {

class SessionBus;
class WaylandConnection;

// The backend of KDE Plasma's Wayland session, on the KWin that `connection` and `bus` reach:
// the fake-input pointer, the screen read back through KWin's screenshot interface, and the
// pointer's position (for the stop when the user moves it, and for the origin's pick) through
// a KWin script. KWin grants the fake input and the screenshots only to the executable that a
// desktop file names (KWinDesktopEntry); when it refuses, the pointer is null and `error`
// says which file to install where.
SystemSession OpenKdeSession(std::shared_ptr<WaylandConnection> connection,
                             std::shared_ptr<SessionBus> bus, QString* error);

// The desktop file that authorises `executable` (an absolute path, as KWin compares it with
// the running program's), and where the user's own one goes (named after the executable, as
// scripts/kwin-authorise names it).
QString KWinDesktopEntry(const QString& executable);
QString KWinDesktopEntryPath(const QString& executable);

}  // namespace stylorex
