#include "ui/screen_pixels.h"

#include <QPointF>
#include <QScreen>
#include <QSizeF>
#include <QWidget>

namespace stylorex {

QRect FrameInScreenPixels(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return frame;
    }
    const qreal ratio = screen->devicePixelRatio();
    const QPointF origin = screen->geometry().topLeft();
    const QPointF topLeft = origin + (QPointF(frame.topLeft()) - origin) * ratio;
    return QRect(topLeft.toPoint(), (QSizeF(frame.size()) * ratio).toSize());
}

}  // namespace stylorex
