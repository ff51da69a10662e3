#include "os/dbus/session_bus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>

#include <atomic>

namespace stylorex {

std::shared_ptr<SessionBus> SessionBus::open() {
    // By its address when there is one: the D-Bus library reads the variable once per process.
    return open(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
}

std::shared_ptr<SessionBus> SessionBus::open(const QString& address) {
    static std::atomic<int> opened = 0;
    const QString name = QStringLiteral("stylorex-session-%1").arg(++opened);
    QDBusConnection connection =
        address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                          : QDBusConnection::connectToBus(address, name);
    if (!connection.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return nullptr;
    }
    return std::shared_ptr<SessionBus>(new SessionBus(name, connection));
}

SessionBus::SessionBus(QString name, QDBusConnection connection)
    : name_(std::move(name)), connection_(std::move(connection)) {}

SessionBus::~SessionBus() {
    QDBusConnection::disconnectFromBus(name_);
}

bool SessionBus::hasService(const QString& service) {
    QDBusConnectionInterface* bus = connection_.interface();
    return bus != nullptr && bus->isServiceRegistered(service).value();
}

QDBusMessage SessionBus::call(const QDBusMessage& message, int timeoutMs) {
    return connection_.call(message, QDBus::Block, timeoutMs);
}

QString DBusErrorText(const QDBusMessage& reply) {
    return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
}

QPoint DBusIntPair(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>()) {
        return {};
    }
    int a = 0;
    int b = 0;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginStructure();
    argument >> a >> b;
    argument.endStructure();
    return {a, b};
}

}  // namespace stylorex
