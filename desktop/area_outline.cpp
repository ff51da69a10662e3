#include "desktop/area_outline.h"

#include "desktop/desktop_pixels.h"
#include "desktop/screen_settle.h"
#include "os/screen_reader.h"

#include <QPainter>
#include <QRegion>
#include <QScreen>

#include <cmath>

namespace stylorex {

namespace {

const QColor kDash(255, 0, 0);
const QColor kGap(255, 255, 255);
constexpr qreal kDashLength = 3;

// The whole logical pixels that hold the desktop rectangle `area` on `screen`.
QRect LogicalCover(const QScreen& screen, const QRect& area) {
    const QPointF topLeft = ToLogical(screen, area.topLeft());
    const QPointF bottomRight = ToLogical(screen, area.bottomRight() + QPoint(1, 1));
    const QPoint first(static_cast<int>(std::floor(topLeft.x())),
                       static_cast<int>(std::floor(topLeft.y())));
    const QPoint end(static_cast<int>(std::ceil(bottomRight.x())),
                     static_cast<int>(std::ceil(bottomRight.y())));
    return QRect(first, end - QPoint(1, 1));
}

}  // namespace

AreaOutline::AreaOutline() {
    setFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
             Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
             Qt::X11BypassWindowManagerHint);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWindow::hide);
}

void AreaOutline::showAround(const QRect& area, ScreenReader* screen,
                             std::chrono::milliseconds duration) {
    hide();
    timer_.stop();
    under_ = QImage();
    QScreen* holder = ScreenAtDesktop(area.topLeft());
    if (area.isEmpty() || holder == nullptr || !CanPlaceWindows()) {
        return;
    }
    const QRect inside = LogicalCover(*holder, area);
    const QRect outer = inside.adjusted(-kRingWidth, -kRingWidth, kRingWidth, kRingWidth);
    screen_ = screen;
    desktopRect_ = DesktopCover(*holder, outer);
    desktopInside_ = DesktopCover(*holder, inside);
    if (screen_ != nullptr) {
        under_ = screen_->grab(desktopRect_);
    }
    setScreen(holder);
    setGeometry(outer);
    const QRect local(QPoint(0, 0), outer.size());
    setMask(QRegion(local).subtracted(
        QRegion(local.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth))));
    show();
    timer_.start(duration);
}

void AreaOutline::withdraw() {
    const bool wasShown = isVisible();
    timer_.stop();
    hide();
    if (!wasShown || screen_ == nullptr || under_.isNull()) {
        return;
    }
    WaitUntilScreenSettles(
        *screen_, desktopRect_, [this](const QImage& now) { return ringRestored(now); },
        kRestoreLimit);
    under_ = QImage();
}

bool AreaOutline::ringRestored(const QImage& now) const {
    if (now.size() != under_.size()) {
        return false;
    }
    const QRect inside = desktopInside_.translated(-desktopRect_.topLeft());
    for (int y = 0; y < now.height(); ++y) {
        for (int x = 0; x < now.width(); ++x) {
            if (!inside.contains(x, y) && now.pixel(x, y) != under_.pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

void AreaOutline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all(QPoint(0, 0), size());
    painter.fillRect(all, kGap);
    QPen dashes(kDash, kRingWidth, Qt::CustomDashLine, Qt::FlatCap);
    dashes.setDashPattern({kDashLength, kDashLength});
    painter.setPen(dashes);
    const qreal half = kRingWidth / 2.0;
    painter.drawRect(QRectF(all).adjusted(half, half, -half, -half));
}

}  // namespace stylorex
