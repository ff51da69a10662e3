#include "os/window_destruction.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <xcb/xcb.h>

namespace stylorex {

WindowDestructionWatch::WindowDestructionWatch(QWindow* window, std::function<void()> onDestroyed,
                                               QObject* parent)
    : QObject(parent), window_(window), onDestroyed_(std::move(onDestroyed)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowDestructionWatch::~WindowDestructionWatch() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool WindowDestructionWatch::nativeEventFilter(const QByteArray& eventType, void* message,
                                               qintptr*) {
    if (reported_ || eventType != "xcb_generic_event_t" || window_ == nullptr ||
        window_->handle() == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_DESTROY_NOTIFY ||
        static_cast<const xcb_destroy_notify_event_t*>(message)->window != window_->winId()) {
        return false;
    }
    reported_ = true;
    // Not from inside the toolkit's event dispatch: the reaction closes windows.
    QMetaObject::invokeMethod(
        this, [this] { onDestroyed_(); }, Qt::QueuedConnection);
    return false;
}

}  // namespace stylorex
