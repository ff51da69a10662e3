#include "os/session_choice.h"

#include "os/wayland/wayland_session.h"
#include "os/x11/x11_session.h"

#include <QByteArray>

namespace stylorex {

SystemSession OpenSystemSession(QString* error) {
    if (!qgetenv("WAYLAND_DISPLAY").isEmpty()) {
        return OpenWaylandSession(error);
    }
    return OpenX11Session(error);
}

}  // namespace stylorex
