#include "canvas/picture_box.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace stylorex {

namespace {

int buttonValue(Qt::MouseButtons buttons) {
    int value = 0;
    if (buttons & Qt::LeftButton) {
        value |= 1;
    }
    if (buttons & Qt::RightButton) {
        value |= 2;
    }
    if (buttons & Qt::MiddleButton) {
        value |= 4;
    }
    return value;
}

int shiftValue(Qt::KeyboardModifiers modifiers) {
    int value = 0;
    if (modifiers & Qt::ShiftModifier) {
        value |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        value |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        value |= 4;
    }
    return value;
}

// The first local file among `data`'s addresses; empty when there is none.
QString firstLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCanvasSize(201, 201);
}

void PictureBox::setCanvasSize(int width, int height) {
    QImage grown = ComposedCanvas(picture_, QSize(width, height));
    if (!persistent_.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, persistent_);
    }
    takeState({picture_, grown});
    recordStep();
    emit pictureReplaced();
}

void PictureBox::setPicture(const QImage& picture) {
    picture_ = CanvasPicture(picture);
    takeState({picture_, ComposedCanvas(picture_, persistent_.size())});
    recordStep();
    emit pictureReplaced();
}

void PictureBox::setPictureAtSize(const QImage& picture, QSize size) {
    picture_ = CanvasPicture(picture);
    takeState({picture_, ComposedCanvas(picture_, size)});
    recordStep();
    emit pictureReplaced();
}

void PictureBox::takeState(const PictureState& state) {
    picture_ = state.background;
    persistent_ = state.persistent;
    screen_ = persistent_;
    setFixedSize(persistent_.size());
    update();
}

void PictureBox::recordStep() {
    if (history_.record(state())) {
        emit historyChanged();
        emit pictureChanged();
    }
}

bool PictureBox::undo() {
    const std::optional<PictureState> before = history_.undo(state());
    if (before) {
        takeState(*before);
    }
    emit historyChanged();
    if (before) {
        emit pictureChanged();
        emit pictureReplaced();
    }
    return before.has_value();
}

bool PictureBox::redo() {
    const std::optional<PictureState> after = history_.redo(state());
    if (after) {
        takeState(*after);
    }
    emit historyChanged();
    if (after) {
        emit pictureChanged();
        emit pictureReplaced();
    }
    return after.has_value();
}

void PictureBox::clearHistory() {
    history_.reset(state());
    emit historyChanged();
}

PackedColour PictureBox::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= persistent_.width() || y >= persistent_.height()) {
        return kInvalidColour;
    }
    const QRgb rgb = persistent_.pixel(x, y);
    return PackRGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void PictureBox::Cls() {
    if (autoRedraw_) {
        persistent_ = ComposedCanvas(picture_, persistent_.size());
    }
    screen_ = persistent_;
    currentX_ = 0;
    currentY_ = 0;
    update();
}

void PictureBox::Refresh() {
    screen_ = persistent_;
    update();
}

void PictureBox::commit() {
    picture_ = persistent_;
    autoRedraw_ = true;
    Cls();
    emit pictureReplaced();
}

QPen PictureBox::userPen(const QColor& colour) const {
    QPen pen(colour);
    pen.setWidth(drawWidth_);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (drawWidth_ == 1) {
        pen.setCapStyle(Qt::SquareCap);
        if (drawStyle_ == 1) {
            pen.setStyle(Qt::DashLine);
        } else if (drawStyle_ == 2) {
            pen.setStyle(Qt::DotLine);
        }
    }
    return pen;
}

void PictureBox::paintOnTarget(const std::function<void(QPainter&)>& paint) {
    auto paintInto = [&paint](QImage& image) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        paint(painter);
    };
    if (autoRedraw_) {
        paintInto(persistent_);
    }
    paintInto(screen_);
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (overlay_.isNull()) {
        painter.drawImage(0, 0, screen_);
        return;
    }
    // The overlay stands for the persistent image: where the screen shows marks not committed
    // yet (a line being dragged, a curve under edit), the marks stay on top.
    QImage shown = screen_.convertToFormat(QImage::Format_RGB32);
    const QImage overlay = overlay_.convertToFormat(QImage::Format_RGB32);
    const QImage persistent = persistent_.convertToFormat(QImage::Format_RGB32);
    const int width = std::min({shown.width(), overlay.width(), persistent.width()});
    const int height = std::min({shown.height(), overlay.height(), persistent.height()});
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(shown.scanLine(y));
        const auto* over = reinterpret_cast<const QRgb*>(overlay.constScanLine(y));
        const auto* kept = reinterpret_cast<const QRgb*>(persistent.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (out[x] == kept[x]) {
                out[x] = over[x];
            }
        }
    }
    painter.drawImage(0, 0, shown);
}

void PictureBox::setOverlay(const QImage& overlay) {
    overlay_ = overlay;
    update();
}

void PictureBox::dragEnterEvent(QDragEnterEvent* event) {
    if (!firstLocalFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void PictureBox::dropEvent(QDropEvent* event) {
    const QString path = firstLocalFile(event->mimeData());
    if (!path.isEmpty()) {
        event->acceptProposedAction();
        emit pictureFileDropped(path);
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit mouseDown(buttonValue(event->button()), shiftValue(event->modifiers()),
                   static_cast<float>(p.x()), static_cast<float>(p.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit mouseMove(buttonValue(event->buttons()), shiftValue(event->modifiers()),
                   static_cast<float>(p.x()), static_cast<float>(p.y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit mouseUp(buttonValue(event->button()), shiftValue(event->modifiers()),
                 static_cast<float>(p.x()), static_cast<float>(p.y()));
}

}  // namespace stylorex
