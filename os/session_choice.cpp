#include "os/session_choice.h"

#include "os/wayland_desktop.h"
#include "os/x11/x11_session.h"

#include <QByteArray>

namespace stylorex {

SystemSession OpenSystemSession(QString* error, const ApprovalNotice& notice) {
    if (!qgetenv("WAYLAND_DISPLAY").isEmpty()) {
        return OpenWaylandDesktopSession(error, notice);
    }
    return OpenX11Session(error);
}

}  // namespace stylorex
