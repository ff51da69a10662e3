#include "desktop/desktop_pixels.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace stylorex {

namespace {

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

}  // namespace

double DesktopScale(const QScreen& screen) {
    return OnWayland() ? 1.0 : screen.devicePixelRatio();
}

QRect DesktopGeometry(const QScreen& screen) {
    const QRect logical = screen.geometry();
    const double scale = DesktopScale(screen);
    return QRect(logical.topLeft(), QSize(static_cast<int>(std::lround(logical.width() * scale)),
                                          static_cast<int>(std::lround(logical.height() * scale))));
}

QPoint ToDesktop(const QScreen& screen, QPointF logical) {
    const QPointF origin = screen.geometry().topLeft();
    const QPointF desktop = origin + (logical - origin) * DesktopScale(screen);
    // A hair above a whole number is that pixel; the scaled position of a pixel's corner may come
    // back a rounding error below it.
    constexpr double kRoundingError = 1e-6;
    return QPoint(static_cast<int>(std::floor(desktop.x() + kRoundingError)),
                  static_cast<int>(std::floor(desktop.y() + kRoundingError)));
}

QRect DesktopCover(const QScreen& screen, const QRect& logical) {
    const QPoint first = ToDesktop(screen, logical.topLeft());
    const QPoint end = ToDesktop(screen, logical.bottomRight() + QPoint(1, 1));
    return QRect(first, end - QPoint(1, 1));
}

QPointF ToLogical(const QScreen& screen, QPointF desktop) {
    const QPointF origin = screen.geometry().topLeft();
    return origin + (desktop - origin) / DesktopScale(screen);
}

QScreen* ScreenAtDesktop(QPoint desktop) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (DesktopGeometry(*screen).contains(desktop)) {
            return screen;
        }
    }
    return nullptr;
}

bool CanPlaceWindows() {
    return !OnWayland();
}

}  // namespace stylorex
