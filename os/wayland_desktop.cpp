#include "os/wayland_desktop.h"

#include "os/dbus/session_bus.h"
#include "os/gnome/gnome_session.h"
#include "os/kde/kde_session.h"
#include "os/wayland/wayland_connection.h"
#include "os/wayland/wayland_session.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVariant>

namespace stylorex {

namespace {

// Whether the desktop portal offers a remote desktop; asking starts the portal if it is not
// running yet.
bool PortalOffersRemoteDesktop(SessionBus& bus) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call.setArguments(
        {QStringLiteral("org.freedesktop.portal.RemoteDesktop"), QStringLiteral("version")});
    return bus.call(call).type() == QDBusMessage::ReplyMessage;
}

QString NoBackendText() {
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP").toUpper();
    QString text = QCoreApplication::translate(
        "WaylandDesktop",
        "この Wayland コンポジタでは、マウスポインタを操作する方法が見つかりません（wlroots の "
        "virtual pointer プロトコルも、KWin も、Mutter のリモートデスクトップも、デスクトップ"
        "ポータルのリモートデスクトップもありません）。");
    if (desktop.contains("KDE") || desktop.contains("GNOME")) {
        text += QCoreApplication::translate(
            "WaylandDesktop",
            "KDE と GNOME では D-Bus のセッションバスを通して操作します。デスクトップの中の"
            "端末から起動し、DBUS_SESSION_BUS_ADDRESS がそのセッションバスを指しているか確かめて"
            "ください。");
    } else {
        text += QCoreApplication::translate(
            "WaylandDesktop",
            "sway など wlroots を使うコンポジタ、KDE Plasma、GNOME、または X11 セッションの中で "
            "Stylorex を起動してください。");
    }
    return text;
}

}  // namespace

SystemSession OpenWaylandDesktopSession(QString* error, const ApprovalNotice& notice) {
    std::shared_ptr<WaylandConnection> connection = WaylandConnection::connect();
    if (connection == nullptr) {
        if (error != nullptr) {
            *error = QCoreApplication::translate(
                         "WaylandDesktop",
                         "Wayland コンポジタ（WAYLAND_DISPLAY=%1）に接続できません。"
                         "sway など wlroots を使うコンポジタ、KDE Plasma、GNOME、"
                         "または X11 セッションの中で Stylorex を起動してください。")
                         .arg(QString::fromLocal8Bit(qgetenv("WAYLAND_DISPLAY")));
        }
        return {};
    }
    if (connection->pointerManager() != nullptr) {
        connection.reset();
        return OpenWaylandSession(error);
    }
    if (std::shared_ptr<SessionBus> bus = SessionBus::open()) {
        if (bus->hasService(QStringLiteral("org.kde.KWin"))) {
            return OpenKdeSession(std::move(connection), bus, error);
        }
        connection.reset();
        if (bus->hasService(QStringLiteral("org.gnome.Mutter.RemoteDesktop"))) {
            return OpenGnomeSession(bus, false, notice, error);
        }
        if (PortalOffersRemoteDesktop(*bus)) {
            return OpenGnomeSession(bus, true, notice, error);
        }
    }
    if (error != nullptr) {
        *error = NoBackendText();
    }
    return {};
}

}  // namespace stylorex
