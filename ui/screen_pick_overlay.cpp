#include "ui/screen_pick_overlay.h"

#include "desktop/desktop_pixels.h"
#include "desktop/screen_settle.h"
#include "os/pointer_device.h"
#include "os/screen_reader.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace stylorex {

namespace {

// A press and release closer than this (logical pixels, either way) are a click, not a drag.
constexpr qreal kClickTolerance = 3;
// The magnifier: the pixels this far round the pointer's, each this many logical pixels wide,
// this far from the pointer.
constexpr int kMagnifierRadius = 7;
constexpr int kMagnifierZoom = 8;
constexpr int kMagnifierOffset = 24;
constexpr int kMagnifierSide = (2 * kMagnifierRadius + 1) * kMagnifierZoom;
constexpr int kLabelHeight = 18;
constexpr int kGrabAttempts = 50;
constexpr int kGrabRetryMs = 20;

const QColor kMarkColour(255, 0, 255);
const QColor kLabelBackground(0, 0, 0, 200);

QString HelpText() {
    return QCoreApplication::translate("ScreenPickOverlay",
                                       "クリックで点、ドラッグで範囲を選びます（Esc で取り消し）");
}

void DrawLabel(QPainter& painter, const QRect& box, const QString& text) {
    painter.fillRect(box, kLabelBackground);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

ScreenPickVeil::ScreenPickVeil(QScreen& screen, const QImage& still, PointerDevice* pointer)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      screen_(screen),
      pointer_(pointer),
      desktop_(DesktopGeometry(screen)),
      still_(still) {
    setObjectName(QStringLiteral("ScreenPickVeil"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setScreen(&screen);
    setGeometry(screen.geometry());
}

QPoint ScreenPickVeil::desktopPixel(QPointF local) const {
    const QPointF origin = screen_.geometry().topLeft();
    const double scale = DesktopScale(screen_);
    const QPointF reported = origin + local * scale;
    QPoint pixel = ToDesktop(screen_, origin + local);
    if (pointer_ != nullptr && pointer_->limits().canReadPosition()) {
        // Qt's rounding moved the event's position by at most half a logical pixel.
        const QPoint exact = pointer_->position();
        const double reach = scale / 2 + 1e-6;
        if (std::abs(exact.x() - reported.x()) <= reach &&
            std::abs(exact.y() - reported.y()) <= reach) {
            pixel = exact;
        }
    }
    return QPoint(std::clamp(pixel.x(), desktop_.left(), desktop_.right()),
                  std::clamp(pixel.y(), desktop_.top(), desktop_.bottom()));
}

void ScreenPickVeil::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    grabKeys(kGrabAttempts);
}

void ScreenPickVeil::grabKeys(int attemptsLeft) {
    QWindow* window = windowHandle();
    if (window != nullptr && window->isExposed() && window->setKeyboardGrabEnabled(true)) {
        return;
    }
    if (attemptsLeft > 0 && isVisible()) {
        QTimer::singleShot(kGrabRetryMs, this,
                           [this, attemptsLeft] { grabKeys(attemptsLeft - 1); });
    }
}

void ScreenPickVeil::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double scale = DesktopScale(screen_);
    // Pixel for pixel onto the device pixels of the screen.
    QImage shown = still_;
    shown.setDevicePixelRatio(scale);
    painter.drawImage(QPointF(0, 0), shown);
    if (stillAlone_) {
        return;
    }
    auto localOf = [&](QPoint desktop) { return QPointF(desktop - desktop_.topLeft()) / scale; };

    const QFontMetrics metrics(font());
    const QString help = HelpText();
    const int helpWidth = metrics.horizontalAdvance(help) + 16;
    DrawLabel(painter, QRect((width() - helpWidth) / 2, 0, helpWidth, kLabelHeight), help);

    if (!mouse_) {
        return;
    }
    QString where = QStringLiteral("%1, %2").arg(under_.x()).arg(under_.y());
    if (pressedAt_) {
        const QRect area = QRect(pressedPixel_, under_).normalized();
        QPen pen(kMarkColour, 1, Qt::DashLine);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawRect(
            QRectF(localOf(area.topLeft()), localOf(area.bottomRight() + QPoint(1, 1))));
        where += QStringLiteral("  %1×%2").arg(area.width()).arg(area.height());
    }
    // Below and right of the pointer, or above and left where the screen ends.
    const QPoint at = mouse_->toPoint();
    QPoint corner = at + QPoint(kMagnifierOffset, kMagnifierOffset);
    if (corner.x() + kMagnifierSide > width()) {
        corner.setX(at.x() - kMagnifierOffset - kMagnifierSide);
    }
    if (corner.y() + kMagnifierSide + kLabelHeight > height()) {
        corner.setY(at.y() - kMagnifierOffset - kMagnifierSide - kLabelHeight);
    }
    paintMagnifier(painter, under_, corner);
    DrawLabel(painter,
              QRect(corner + QPoint(0, kMagnifierSide), QSize(kMagnifierSide, kLabelHeight)),
              where);
}

void ScreenPickVeil::showStillAlone() {
    stillAlone_ = true;
    repaint();
}

void ScreenPickVeil::paintMagnifier(QPainter& painter, QPoint desktop, QPoint corner) {
    const int cells = 2 * kMagnifierRadius + 1;
    // The pixels round the pointer's, black beyond the screen's edge.
    QImage pixels(cells, cells, QImage::Format_RGB32);
    pixels.fill(Qt::black);
    const QPoint first = desktop - desktop_.topLeft() - QPoint(kMagnifierRadius, kMagnifierRadius);
    for (int y = 0; y < cells; ++y) {
        for (int x = 0; x < cells; ++x) {
            const QPoint at = first + QPoint(x, y);
            if (still_.rect().contains(at)) {
                pixels.setPixel(x, y, still_.pixel(at));
            }
        }
    }
    const QRect box(corner, QSize(kMagnifierSide, kMagnifierSide));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(box, pixels);
    painter.setPen(QPen(kMarkColour, 1));
    painter.drawRect(QRect(corner + QPoint(kMagnifierRadius, kMagnifierRadius) * kMagnifierZoom,
                           QSize(kMagnifierZoom, kMagnifierZoom))
                         .adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

void ScreenPickVeil::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit picked({});
        return;
    }
    if (event->button() == Qt::LeftButton) {
        mouse_ = event->position();
        under_ = desktopPixel(*mouse_);
        pressedAt_ = mouse_;
        pressedPixel_ = under_;
        update();
    }
}

void ScreenPickVeil::mouseMoveEvent(QMouseEvent* event) {
    mouse_ = event->position();
    under_ = desktopPixel(*mouse_);
    update();
}

void ScreenPickVeil::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressedAt_) {
        return;
    }
    const QPointF from = *pressedAt_;
    const QPointF to = event->position();
    pressedAt_.reset();
    PointPicker::Result result;
    if (std::abs(to.x() - from.x()) < kClickTolerance &&
        std::abs(to.y() - from.y()) < kClickTolerance) {
        result.point = pressedPixel_;
    } else {
        result.area = QRect(pressedPixel_, desktopPixel(to)).normalized();
        result.point = result.area->topLeft();
    }
    emit picked(result);
}

void ScreenPickVeil::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit picked({});
        return;
    }
    QWidget::keyPressEvent(event);
}

ScreenPickOverlay::ScreenPickOverlay(ScreenReader* screen, PointerDevice* pointer)
    : screen_(screen), pointer_(pointer) {}

ScreenPickOverlay::~ScreenPickOverlay() = default;

std::vector<ScreenPickVeil*> ScreenPickOverlay::veils() const {
    std::vector<ScreenPickVeil*> out;
    for (const auto& veil : veils_) {
        out.push_back(veil.get());
    }
    return out;
}

bool ScreenPickOverlay::pick(Done done) {
    if (!veils_.empty()) {
        return false;
    }
    const QString unreadable = QCoreApplication::translate(
        "ScreenPickOverlay", "画面を読み取れないため、画面上で選ぶことができません。");
    if (screen_ == nullptr) {
        done({std::nullopt, unreadable});
        return true;
    }
    // Every still is taken before the first veil covers its screen.
    std::vector<std::pair<QScreen*, QImage>> stills;
    for (QScreen* screen : QGuiApplication::screens()) {
        QImage still = screen_->grab(DesktopGeometry(*screen));
        if (still.isNull()) {
            done({std::nullopt, unreadable});
            return true;
        }
        stills.emplace_back(screen, std::move(still));
    }
    done_ = std::move(done);
    for (auto& [screen, still] : stills) {
        auto veil = std::make_unique<ScreenPickVeil>(*screen, still, pointer_);
        QObject::connect(veil.get(), &ScreenPickVeil::picked, veil.get(),
                         [this](const Result& result) { finish(result); });
        veils_.push_back(std::move(veil));
    }
    for (const auto& veil : veils_) {
        if (CanPlaceWindows()) {
            veil->show();
        } else {
            veil->showFullScreen();
        }
    }
    return true;
}

void ScreenPickOverlay::finish(const Result& result) {
    if (veils_.empty()) {
        return;
    }
    // The veil that answered is still inside its own signal: each goes once that has returned.
    std::vector<std::pair<QRect, QImage>> covered;
    for (auto& veil : veils_) {
        if (QWindow* window = veil->windowHandle()) {
            window->setKeyboardGrabEnabled(false);
        }
        covered.emplace_back(DesktopGeometry(*veil->screen()), veil->still());
        veil->showStillAlone();
        veil->hide();
        veil->disconnect();
        veil.release()->deleteLater();
    }
    veils_.clear();
    for (const auto& [rect, still] : covered) {
        WaitUntilScreenSettles(
            *screen_, rect, [&still = still](const QImage& now) { return now == still; },
            std::chrono::milliseconds(kRestoreLimitMs));
    }
    Done done = std::move(done_);
    done_ = nullptr;
    done(result);
}

}  // namespace stylorex
