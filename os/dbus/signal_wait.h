#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace stylorex {

// One D-Bus signal awaited: subscribed from construction on (before the call that brings it),
// received while wait() runs the event loop.
class DBusSignalWait : public QObject {
    Q_OBJECT

  public:
    DBusSignalWait(QDBusConnection connection, const QString& service, const QString& path,
                   const QString& interface, const QString& name);
    ~DBusSignalWait() override;
    DBusSignalWait(const DBusSignalWait&) = delete;
    DBusSignalWait& operator=(const DBusSignalWait&) = delete;

    // The first signal received since construction; nothing when none came within `limit`.
    std::optional<QDBusMessage> wait(std::chrono::milliseconds limit);

  public slots:
    void received(const QDBusMessage& message);

  signals:
    void arrived();

  private:
    QDBusConnection connection_;
    QString service_;
    QString path_;
    QString interface_;
    QString name_;
    std::optional<QDBusMessage> message_;
};

}  // namespace stylorex
