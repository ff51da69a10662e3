#include "os/x11/x11_session.h"

#include "os/x11/screen_x11.h"
#include "os/x11/x11_pointer.h"

#include <QByteArray>
#include <QCoreApplication>

namespace stylorex {

SystemSession OpenX11Session(QString* error) {
    auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return SystemSession{};
    };
    if (qgetenv("XDG_SESSION_TYPE").toLower() == "wayland") {
        return fail(QCoreApplication::translate(
            "X11Session",
            "Wayland セッションではマウスポインタを操作できません（XTest は XWayland "
            "のポインタしか動かせず、他のアプリケーションには届きません）。X11 "
            "セッションでログインし直してから Stylorex を起動してください。"));
    }
    if (qgetenv("DISPLAY").isEmpty()) {
        return fail(QCoreApplication::translate(
            "X11Session",
            "X ディスプレイがありません（DISPLAY が設定されていません）。マウスポインタを"
            "操作できないため、X11 セッションの中で Stylorex を起動してください。"));
    }
    SystemSession session;
    session.pointer = X11Pointer::open(error);
    if (session.pointer) {
        session.screen = X11Screen::open(nullptr);
        session.pointPicker = std::make_unique<PointerPositionPicker>(*session.pointer);
    }
    return session;
}

}  // namespace stylorex
