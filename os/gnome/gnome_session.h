#pragma once

#include "os/system_session.h"

#include <QString>

#include <memory>

namespace stylorex {

class SessionBus;

// The backend of GNOME's Wayland session: a remote desktop session of Mutter's with a screen
// cast of the primary monitor, through Mutter's own D-Bus interface, or through the desktop
// portal (`viaPortal`), which asks the user first; `notice` is told before the question
// appears (stderr when it is empty). The pointer drives it; the screen is read back from the cast's
// PipeWire stream, which also tells where the pointer stands (for the stop when the user moves it,
// and for the origin's pick). Both null, with the reason in `error`, when the session cannot be
// had.
SystemSession OpenGnomeSession(std::shared_ptr<SessionBus> bus, bool viaPortal,
                               const ApprovalNotice& notice, QString* error);

}  // namespace stylorex
