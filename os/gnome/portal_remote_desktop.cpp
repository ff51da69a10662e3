#include "os/gnome/portal_remote_desktop.h"

#include "common/program_message.h"
#include "os/dbus/session_bus.h"
#include "os/dbus/signal_wait.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace stylorex {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");

constexpr uint kPointer = 2;
constexpr uint kMonitor = 1;
constexpr uint kCursorAsMetadata = 4;
// The user's answer to the approval dialog may take a while.
constexpr std::chrono::minutes kAnswerLimit(5);

// The dialog's switch, in the words it shows (GNOME's portal does not translate them).
QString interactionSwitch() {
    return QCoreApplication::translate("PortalRemoteDesktop", "「Allow remote interaction」");
}

}  // namespace

QString PortalApprovalNotice() {
    return QCoreApplication::translate(
               "PortalRemoteDesktop",
               "デスクトップが、Stylorex に画面の共有とマウスポインタの操作を許すかどうかを"
               "尋ねます。描画するには、そのダイアログで %1（リモート操作の許可）のスイッチを"
               "入れてから「共有」を選んでください。")
        .arg(interactionSwitch());
}

std::optional<QVariantMap> PortalRemoteDesktop::request(const QString& interface,
                                                        const QString& method,
                                                        QVariantList arguments, QVariantMap options,
                                                        QString* error) {
    static std::atomic<int> requests = 0;
    const QString token = QStringLiteral("stylorex%1").arg(++requests);
    options.insert(QStringLiteral("handle_token"), token);
    // The portal answers on a path made of the caller's bus name and the token: subscribed to
    // before the call, the answer cannot come first.
    const QString sender =
        bus_->connection().baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    DBusSignalWait response(
        bus_->connection(), kPortal,
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token),
        QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    QDBusMessage call = QDBusMessage::createMethodCall(kPortal, kPortalPath, interface, method);
    call.setArguments(arguments << options);
    const QDBusMessage reply = bus_->call(call);
    auto fail = [&](const QString& text) {
        if (error != nullptr) {
            *error = QStringLiteral("%1: %2").arg(method, text);
        }
        return std::nullopt;
    };
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return fail(DBusErrorText(reply));
    }
    const std::optional<QDBusMessage> answer = response.wait(kAnswerLimit);
    if (!answer) {
        return fail(QStringLiteral("no answer"));
    }
    const uint code = answer->arguments().value(0).toUInt();
    if (code != 0) {
        return fail(code == 1 ? QCoreApplication::translate("PortalRemoteDesktop",
                                                            "共有が許可されませんでした")
                              : QStringLiteral("the portal ended the request"));
    }
    return qdbus_cast<QVariantMap>(answer->arguments().value(1));
}

std::unique_ptr<PortalRemoteDesktop> PortalRemoteDesktop::open(std::shared_ptr<SessionBus> bus,
                                                               const ApprovalNotice& notice,
                                                               QString* error) {
    std::unique_ptr<PortalRemoteDesktop> remote(new PortalRemoteDesktop(std::move(bus)));
    const auto created = remote->request(
        kRemoteDesktop, QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), QStringLiteral("stylorex")}}, error);
    if (!created) {
        return nullptr;
    }
    remote->session_ = created->value(QStringLiteral("session_handle")).toString();
    const QVariant session = QVariant::fromValue(QDBusObjectPath(remote->session_));
    if (!remote->request(kRemoteDesktop, QStringLiteral("SelectDevices"), {session},
                         {{QStringLiteral("types"), kPointer}}, error) ||
        !remote->request(kScreenCast, QStringLiteral("SelectSources"), {session},
                         {{QStringLiteral("types"), kMonitor},
                          {QStringLiteral("multiple"), false},
                          {QStringLiteral("cursor_mode"), kCursorAsMetadata}},
                         error)) {
        return nullptr;
    }
    if (notice) {
        notice(PortalApprovalNotice());
    } else {
        PrintProgramMessage(PortalApprovalNotice());
    }
    const auto started =
        remote->request(kRemoteDesktop, QStringLiteral("Start"), {session, QString()}, {}, error);
    if (!started) {
        return nullptr;
    }
    // Shared with the switch left off, the screen cast runs but every move would be refused.
    if ((started->value(QStringLiteral("devices")).toUInt() & kPointer) == 0) {
        if (error != nullptr) {
            *error = QCoreApplication::translate(
                         "PortalRemoteDesktop",
                         "画面の共有だけが許可され、マウスポインタの操作は許可されませんでした。"
                         "もう一度始め、ダイアログの %1 のスイッチを入れてから「共有」を選んで"
                         "ください")
                         .arg(interactionSwitch());
        }
        return nullptr;
    }
    const QDBusArgument streams = started->value(QStringLiteral("streams")).value<QDBusArgument>();
    streams.beginArray();
    if (!streams.atEnd()) {
        QVariantMap properties;
        streams.beginStructure();
        streams >> remote->node_ >> properties;
        streams.endStructure();
        const QPoint size = DBusIntPair(properties.value(QStringLiteral("size")));
        remote->monitor_ = QRect(DBusIntPair(properties.value(QStringLiteral("position"))),
                                 QSize(size.x(), size.y()));
    }
    streams.endArray();
    if (remote->monitor_.isEmpty()) {
        if (error != nullptr) {
            *error = QStringLiteral("the portal shared no monitor");
        }
        return nullptr;
    }
    QDBusMessage open = QDBusMessage::createMethodCall(kPortal, kPortalPath, kScreenCast,
                                                       QStringLiteral("OpenPipeWireRemote"));
    open.setArguments({session, QVariantMap()});
    const QDBusMessage remoteFd = remote->bus_->call(open);
    if (remoteFd.type() != QDBusMessage::ReplyMessage) {
        if (error != nullptr) {
            *error = DBusErrorText(remoteFd);
        }
        return nullptr;
    }
    remote->fd_ =
        fcntl(remoteFd.arguments().value(0).value<QDBusUnixFileDescriptor>().fileDescriptor(),
              F_DUPFD_CLOEXEC, 3);
    return remote;
}

PortalRemoteDesktop::~PortalRemoteDesktop() {
    if (!session_.isEmpty()) {
        bus_->call(QDBusMessage::createMethodCall(kPortal, session_,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")));
    }
    if (fd_ >= 0) {
        close(fd_);
    }
}

void PortalRemoteDesktop::notify(const QString& method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortal, kPortalPath, kRemoteDesktop, method);
    call.setArguments(QVariantList{QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap()} +
                      arguments);
    const QDBusMessage reply = bus_->call(call);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        throw std::runtime_error(
            QCoreApplication::translate("PortalRemoteDesktop",
                                        "リモートデスクトップ ポータルが応えません（%1）")
                .arg(DBusErrorText(reply))
                .toStdString());
    }
}

void PortalRemoteDesktop::motion(QPoint at) {
    notify(QStringLiteral("NotifyPointerMotionAbsolute"),
           {node_, static_cast<double>(at.x()), static_cast<double>(at.y())});
}

void PortalRemoteDesktop::button(bool pressed) {
    notify(QStringLiteral("NotifyPointerButton"), {static_cast<int>(BTN_LEFT), pressed ? 1u : 0u});
}

}  // namespace stylorex
