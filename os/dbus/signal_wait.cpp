#include "os/dbus/signal_wait.h"

#include <QEventLoop>
#include <QTimer>

namespace stylorex {

DBusSignalWait::DBusSignalWait(QDBusConnection connection, const QString& service,
                               const QString& path, const QString& interface, const QString& name)
    : connection_(std::move(connection)),
      service_(service),
      path_(path),
      interface_(interface),
      name_(name) {
    connection_.connect(service_, path_, interface_, name_, this, SLOT(received(QDBusMessage)));
}

DBusSignalWait::~DBusSignalWait() {
    connection_.disconnect(service_, path_, interface_, name_, this, SLOT(received(QDBusMessage)));
}

std::optional<QDBusMessage> DBusSignalWait::wait(std::chrono::milliseconds limit) {
    if (!message_) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &DBusSignalWait::arrived, &loop, &QEventLoop::quit);
        timer.start(limit);
        loop.exec();
    }
    return message_;
}

void DBusSignalWait::received(const QDBusMessage& message) {
    if (!message_) {
        message_ = message;
        emit arrived();
    }
}

}  // namespace stylorex
