#include "os/gnome/gnome_session.h"

#include "os/dbus/session_bus.h"
#include "os/gnome/gnome_pointer.h"
#include "os/gnome/gnome_screen_reader.h"
#include "os/gnome/mutter_remote_desktop.h"
#include "os/gnome/pipewire_capture.h"
#include "os/gnome/portal_remote_desktop.h"
#include "os/wayland/pointer_read_picker.h"

#include <QCoreApplication>

namespace stylorex {

namespace {

// The screen cast brings the pointer's position with a frame of its own, up to 170 ms after the
// move here (a headless Mutter): the point pick takes the position once none has come for a
// while, so that a pick right after the user pointed does not get where the pointer was before.
constexpr std::chrono::milliseconds kCursorQuiet(250);
constexpr std::chrono::milliseconds kCursorSettleLimit(1000);

}  // namespace

SystemSession OpenGnomeSession(std::shared_ptr<SessionBus> bus, bool viaPortal,
                               const ApprovalNotice& notice, QString* error) {
    auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return SystemSession{};
    };
    QString why;
    std::shared_ptr<RemoteInput> input;
    if (viaPortal) {
        input = PortalRemoteDesktop::open(bus, notice, &why);
    } else {
        input = MutterRemoteDesktop::open(bus, &why);
    }
    if (input == nullptr) {
        return fail(
            QCoreApplication::translate("GnomeSession",
                                        "GNOME のリモートデスクトップを始められないため、マウス"
                                        "ポインタを操作できません（%1）。")
                .arg(why));
    }
    std::shared_ptr<PipeWireCapture> capture =
        PipeWireCapture::open(input->pipeWireNode(), input->pipeWireFd(), &why);
    if (capture == nullptr) {
        return fail(
            QCoreApplication::translate("GnomeSession",
                                        "画面共有の PipeWire ストリームを受け取れません（%1）。"
                                        "pipewire と wireplumber が動いているか確かめてください。")
                .arg(why));
    }
    const QRect monitor = input->monitor();
    SystemSession session;
    session.pointer = std::make_unique<GnomePointer>(input, capture);
    session.screen = std::make_unique<GnomeScreenReader>(capture, monitor);
    session.pointPicker = std::make_unique<PointerReadPicker>(
        [capture, monitor]() -> std::optional<QPoint> {
            if (const std::optional<QPoint> at =
                    capture->settledCursor(kCursorQuiet, kCursorSettleLimit)) {
                return *at + monitor.topLeft();
            }
            return std::nullopt;
        },
        QCoreApplication::translate(
            "GnomeSession",
            "画面共有がマウスポインタの位置をまだ知らせていません。ポインタを少し"
            "動かしてからもう一度押すか、原点の X と Y を入力してください。"));
    return session;
}

}  // namespace stylorex
