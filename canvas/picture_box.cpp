#include "canvas/picture_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace stylorex {

namespace {

constexpr int kDotsPerMeterAt96Dpi = 3780;

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

}  // namespace

QImage MakeCanvasImage(int width, int height) {
    QImage image(qMax(width, 0), qMax(height, 0), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    image.fill(Qt::white);
    return image;
}

QImage ComposeCanvasImage(const QImage& picture, int width, int height) {
    QImage image = MakeCanvasImage(width, height);
    if (!picture.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, picture.convertToFormat(QImage::Format_RGB32));
    }
    return image;
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCanvasSize(201, 201);
}

QImage PictureBox::composedBackground(int width, int height) const {
    return ComposeCanvasImage(picture_, width, height);
}

void PictureBox::setCanvasSize(int width, int height) {
    QImage grown = composedBackground(width, height);
    if (!persistent_.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, persistent_);
    }
    persistent_ = grown;
    screen_ = persistent_;
    setFixedSize(qMax(width, 0), qMax(height, 0));
    update();
}

void PictureBox::setPicture(const QImage& picture) {
    if (picture.isNull()) {
        picture_ = QImage();
    } else {
        picture_ = picture.convertToFormat(QImage::Format_RGB32);
        picture_.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
        picture_.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    }
    persistent_ = composedBackground(ScaleWidth(), ScaleHeight());
    screen_ = persistent_;
    update();
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
        persistent_ = composedBackground(ScaleWidth(), ScaleHeight());
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
    painter.drawImage(0, 0, screen_);
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
