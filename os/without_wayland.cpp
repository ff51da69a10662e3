// What stands in for the Wayland backend in a build without it (STYLOREX_WITH_WAYLAND=OFF).
#include "os/wayland_desktop.h"

#include <QCoreApplication>

namespace stylorex {

SystemSession OpenWaylandDesktopSession(QString* error, const ApprovalNotice& /*notice*/) {
    if (error != nullptr) {
        *error = QCoreApplication::translate(
            "WithoutWayland",
            "この Stylorex は Wayland に対応せずにビルドされています。X11 セッションの中で"
            "起動するか、STYLOREX_WITH_WAYLAND をオンにしてビルドし直してください。");
    }
    return {};
}

}  // namespace stylorex
