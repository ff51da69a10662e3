#include "os/wayland/wayland_session.h"

#include "os/wayland/slurp_point_picker.h"
#include "os/wayland/sway_ipc.h"
#include "os/wayland/wayland_connection.h"
#include "os/wayland/wayland_pointer.h"
#include "os/wayland/wayland_screen_reader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStandardPaths>

#include <stdexcept>

namespace stylorex {

namespace {

QString WithoutVirtualPointerText() {
    return QCoreApplication::translate(
        "WaylandSession",
        "この Wayland コンポジタはポインタを操作するためのプロトコル（wlr virtual pointer）を"
        "提供していないため、マウスポインタを操作できません。sway など wlroots を使う"
        "コンポジタか、X11 セッションの中で Stylorex を起動してください。");
}

}  // namespace

SystemSession OpenWaylandSession(QString* error) {
    auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return SystemSession{};
    };
    WaylandConnection::Failure failure = WaylandConnection::Failure::None;
    std::shared_ptr<WaylandConnection> connection = WaylandConnection::open(&failure);
    if (failure == WaylandConnection::Failure::NoVirtualPointer) {
        return fail(WithoutVirtualPointerText());
    }
    if (!connection) {
        return fail(QCoreApplication::translate(
                        "WaylandSession",
                        "Wayland コンポジタ（WAYLAND_DISPLAY=%1）に接続できません。"
                        "sway など wlroots を使うコンポジタか、X11 セッションの中で "
                        "Stylorex を起動してください。")
                        .arg(QString::fromLocal8Bit(qgetenv("WAYLAND_DISPLAY"))));
    }
    try {
        SystemSession session;
        session.pointer = std::make_unique<WaylandPointer>(connection, SwayEscWatch::open());
        if (connection->screencopyManager() != nullptr) {
            session.screen = std::make_unique<WaylandScreenReader>(connection);
        }
        // A Wayland client cannot read the pointer: the user clicks the point instead, in slurp's
        // pick where slurp is installed, else in the window's own (no picker here).
        if (!QStandardPaths::findExecutable(QStringLiteral("slurp")).isEmpty()) {
            session.pointPicker = std::make_unique<SlurpPointPicker>();
        }
        return session;
    } catch (const std::runtime_error&) {
        return fail(QCoreApplication::translate("WaylandSession",
                                                "Wayland コンポジタとの接続が切れました。"));
    }
}

}  // namespace stylorex
