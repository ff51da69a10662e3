#include "os/gnome/mutter_remote_desktop.h"

#include "os/dbus/session_bus.h"
#include "os/dbus/signal_wait.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariantMap>

#include <linux/input-event-codes.h>

#include <stdexcept>

namespace stylorex {

namespace {

const QString kRemoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kScreenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
const QString kRemoteDesktopSession = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");
const QString kScreenCastSession = QStringLiteral("org.gnome.Mutter.ScreenCast.Session");
const QString kScreenCastStream = QStringLiteral("org.gnome.Mutter.ScreenCast.Stream");

// The screen cast's cursor mode that sends the pointer's position beside the frames.
constexpr uint kCursorAsMetadata = 2;

// Mutter starts the stream within milliseconds; a loaded machine may take a second.
constexpr std::chrono::seconds kStreamLimit(5);

QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return call;
}

}  // namespace

std::unique_ptr<MutterRemoteDesktop> MutterRemoteDesktop::open(std::shared_ptr<SessionBus> bus,
                                                               QString* error) {
    std::unique_ptr<MutterRemoteDesktop> remote(new MutterRemoteDesktop(bus));
    // Each step's reply, or the reason it failed in `error`.
    auto step = [&](const QDBusMessage& call) -> std::optional<QDBusMessage> {
        const QDBusMessage reply = bus->call(call);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            if (error != nullptr) {
                *error = QStringLiteral("%1: %2").arg(call.member(), DBusErrorText(reply));
            }
            return std::nullopt;
        }
        return reply;
    };
    auto path = [](const QDBusMessage& reply) {
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    };
    auto property = [&](const QString& service, const QString& object, const QString& interface,
                        const QString& name) -> std::optional<QVariant> {
        const auto reply =
            step(Call(service, object, QStringLiteral("org.freedesktop.DBus.Properties"),
                      QStringLiteral("Get"), {interface, name}));
        if (!reply) {
            return std::nullopt;
        }
        return reply->arguments().value(0).value<QDBusVariant>().variant();
    };

    const auto created =
        step(Call(kRemoteDesktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kRemoteDesktop,
                  QStringLiteral("CreateSession")));
    if (!created) {
        return nullptr;
    }
    remote->session_ = path(*created);
    const auto id = property(kRemoteDesktop, remote->session_, kRemoteDesktopSession,
                             QStringLiteral("SessionId"));
    if (!id) {
        return nullptr;
    }
    const auto cast =
        step(Call(kScreenCast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), kScreenCast,
                  QStringLiteral("CreateSession"),
                  {QVariantMap{{QStringLiteral("remote-desktop-session-id"), id->toString()}}}));
    if (!cast) {
        return nullptr;
    }
    // The empty connector is the primary monitor.
    const auto recorded = step(Call(
        kScreenCast, path(*cast), kScreenCastSession, QStringLiteral("RecordMonitor"),
        {QString(),
         QVariantMap{{QStringLiteral("cursor-mode"), QVariant::fromValue(kCursorAsMetadata)}}}));
    if (!recorded) {
        return nullptr;
    }
    remote->stream_ = path(*recorded);
    DBusSignalWait added(bus->connection(), kScreenCast, remote->stream_, kScreenCastStream,
                         QStringLiteral("PipeWireStreamAdded"));
    if (!step(Call(kRemoteDesktop, remote->session_, kRemoteDesktopSession,
                   QStringLiteral("Start")))) {
        return nullptr;
    }
    const std::optional<QDBusMessage> node = added.wait(kStreamLimit);
    if (!node) {
        if (error != nullptr) {
            *error = QStringLiteral("Mutter did not start the screen cast's PipeWire stream");
        }
        return nullptr;
    }
    remote->node_ = node->arguments().value(0).toUInt();
    const auto parameters =
        property(kScreenCast, remote->stream_, kScreenCastStream, QStringLiteral("Parameters"));
    if (!parameters) {
        return nullptr;
    }
    const QVariantMap monitor = qdbus_cast<QVariantMap>(*parameters);
    const QPoint size = DBusIntPair(monitor.value(QStringLiteral("size")));
    remote->monitor_ =
        QRect(DBusIntPair(monitor.value(QStringLiteral("position"))), QSize(size.x(), size.y()));
    if (remote->monitor_.isEmpty()) {
        if (error != nullptr) {
            *error = QStringLiteral("Mutter did not say where the recorded monitor lies");
        }
        return nullptr;
    }
    return remote;
}

MutterRemoteDesktop::~MutterRemoteDesktop() {
    if (!session_.isEmpty()) {
        bus_->call(Call(kRemoteDesktop, session_, kRemoteDesktopSession, QStringLiteral("Stop")));
    }
}

void MutterRemoteDesktop::notify(const QString& method, const QVariantList& arguments) {
    const QDBusMessage reply =
        bus_->call(Call(kRemoteDesktop, session_, kRemoteDesktopSession, method, arguments));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        throw std::runtime_error(
            QCoreApplication::translate("MutterRemoteDesktop",
                                        "Mutter のリモートデスクトップが応えません（%1）")
                .arg(DBusErrorText(reply))
                .toStdString());
    }
}

void MutterRemoteDesktop::motion(QPoint at) {
    notify(QStringLiteral("NotifyPointerMotionAbsolute"),
           {stream_, static_cast<double>(at.x()), static_cast<double>(at.y())});
}

void MutterRemoteDesktop::button(bool pressed) {
    notify(QStringLiteral("NotifyPointerButton"), {static_cast<int>(BTN_LEFT), pressed});
}

}  // namespace stylorex
