#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QPoint>
#include <QString>

#include <memory>

namespace stylorex {

// A connection of its own to the session bus that DBUS_SESSION_BUS_ADDRESS names, closed with
// the object. Each backend session opens one, so a session opened later (on another desktop,
// in a test on another compositor) never reuses an earlier one's bus.
class SessionBus {
  public:
    // Null when no session bus can be reached.
    static std::shared_ptr<SessionBus> open();
    // The bus at `address` (a D-Bus address), as open() reaches the one the variable names.
    static std::shared_ptr<SessionBus> open(const QString& address);
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    QDBusConnection& connection() { return connection_; }
    // Whether a program owns `service` on the bus now.
    bool hasService(const QString& service);
    // A method call awaited without running an event loop; the reply, or an error message.
    QDBusMessage call(const QDBusMessage& message, int timeoutMs = 5000);

  private:
    SessionBus(QString name, QDBusConnection connection);

    QString name_;
    QDBusConnection connection_;
};

// A D-Bus error reply as a user may read it: its name and its text.
QString DBusErrorText(const QDBusMessage& reply);
// A pair of integers, (ii), as a reply's variant holds it; (0, 0) when it holds none.
QPoint DBusIntPair(const QVariant& value);

}  // namespace stylorex
