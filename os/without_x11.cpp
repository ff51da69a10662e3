// What stands in for the X11 backend in a build without it (STYLOREX_WITH_X11=OFF).
#include "os/desktop_windows.h"
#include "os/window_destruction.h"
#include "os/x11/x11_session.h"

#include <QCoreApplication>

namespace stylorex {

SystemSession OpenX11Session(QString* error) {
    if (error != nullptr) {
        *error = QCoreApplication::translate(
            "WithoutX11",
            "この Stylorex は X11 に対応せずにビルドされています。sway など wlroots を使う "
            "Wayland コンポジタの中で起動するか、STYLOREX_WITH_X11 をオンにしてビルドし直して"
            "ください。");
    }
    return {};
}

// Without X11 no other program can destroy the window behind the toolkit's back.
WindowDestructionWatch::WindowDestructionWatch(QWindow* window, std::function<void()> onDestroyed,
                                               QObject* parent)
    : QObject(parent), window_(window), onDestroyed_(std::move(onDestroyed)) {}

WindowDestructionWatch::~WindowDestructionWatch() = default;

bool WindowDestructionWatch::nativeEventFilter(const QByteArray&, void*, qintptr*) {
    return false;
}

std::vector<QRect> ShownDesktopWindows() {
    return {};
}

}  // namespace stylorex
