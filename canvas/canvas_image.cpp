#include "canvas/canvas_image.h"

#include <QPainter>

namespace stylorex {

namespace {

constexpr int kDotsPerMeterAt96Dpi = 3780;

}  // namespace

QImage MakeCanvasImage(int width, int height) {
    QImage image(qMax(width, 0), qMax(height, 0), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    image.fill(Qt::white);
    return image;
}

QImage CanvasPicture(const QImage& picture) {
    if (picture.isNull()) {
        return {};
    }
    QImage converted;
    if (picture.hasAlphaChannel()) {
        // Converted straight to 32-bit RGB, a transparent pixel would keep the colour under its
        // alpha (mostly black) and become a line pixel: laid over white, it is background.
        converted = QImage(picture.size(), QImage::Format_RGB32);
        converted.fill(Qt::white);
        QPainter painter(&converted);
        painter.drawImage(0, 0, picture);
    } else {
        converted = picture.convertToFormat(QImage::Format_RGB32);
    }
    converted.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    converted.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    return converted;
}

QImage ComposedCanvas(const QImage& background, QSize size) {
    QImage image = MakeCanvasImage(size.width(), size.height());
    if (!background.isNull() && !image.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, background);
    }
    return image;
}

}  // namespace stylorex
