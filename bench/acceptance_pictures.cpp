#include "bench/acceptance_pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace stylorex {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

QImage Blank() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void Prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
}

}  // namespace

const std::vector<AcceptancePicture>& AcceptancePictures() {
    static const std::vector<AcceptancePicture> all = {
        AcceptancePicture::LineArt, AcceptancePicture::FilledShapes, AcceptancePicture::Text,
        AcceptancePicture::Dots};
    return all;
}

QString AcceptancePictureName(AcceptancePicture picture) {
    switch (picture) {
        case AcceptancePicture::LineArt:
            return QStringLiteral("line_art");
        case AcceptancePicture::FilledShapes:
            return QStringLiteral("filled_shapes");
        case AcceptancePicture::Text:
            return QStringLiteral("text");
        case AcceptancePicture::Dots:
            return QStringLiteral("dots");
    }
    return {};
}

QImage MakeAcceptancePicture(AcceptancePicture picture) {
    QImage image = Blank();
    QPainter painter(&image);
    Prepare(painter);
    switch (picture) {
        case AcceptancePicture::LineArt: {
            painter.drawRect(10, 10, 120, 80);
            painter.drawLine(150, 10, 300, 100);
            painter.drawLine(150, 100, 300, 12);
            painter.drawLine(20, 120, 20, 230);
            painter.drawEllipse(QPoint(90, 170), 50, 40);
            painter.drawEllipse(QPoint(240, 170), 30, 30);
            QPainterPath curve;
            curve.moveTo(150, 230);
            curve.cubicTo(180, 110, 260, 250, 310, 130);
            painter.drawPath(curve);
            // Crossings and a star: branching shapes the tracer splits into many strokes.
            for (int i = 0; i < 5; ++i) {
                painter.drawLine(150 + 12 * i, 120, 190 + 12 * i, 200);
                painter.drawLine(150, 130 + 14 * i, 250, 125 + 14 * i);
            }
            painter.drawPolygon(QPolygon({QPoint(270, 200), QPoint(300, 235), QPoint(250, 215),
                                          QPoint(295, 212), QPoint(255, 238)}));
            break;
        }
        case AcceptancePicture::FilledShapes:
            painter.setBrush(Qt::black);
            painter.drawRect(10, 10, 40, 25);
            painter.drawEllipse(QPoint(120, 30), 20, 14);
            painter.drawPolygon(QPolygon({QPoint(200, 10), QPoint(240, 18), QPoint(215, 45)}));
            painter.drawEllipse(QPoint(50, 150), 12, 30);
            painter.drawRect(120, 150, 15, 50);
            painter.drawPolygon(
                QPolygon({QPoint(200, 120), QPoint(260, 135), QPoint(225, 145), QPoint(250, 190)}));
            break;
        case AcceptancePicture::Text: {
            QFont font(QStringLiteral("IPAGothic"));
            font.setPixelSize(28);
            font.setStyleStrategy(QFont::NoAntialias);
            painter.setFont(font);
            painter.drawText(10, 40, QStringLiteral("Stylorex 描画"));
            font.setPixelSize(20);
            painter.setFont(font);
            painter.drawText(10, 90, QStringLiteral("線をなぞって描きます"));
            painter.drawText(10, 130, QStringLiteral("The quick brown fox"));
            painter.drawText(10, 170, QStringLiteral("0123456789 (abc)"));
            break;
        }
        case AcceptancePicture::Dots:
            painter.end();
            for (int y = 4; y < kHeight; y += 8) {
                for (int x = 4; x < kWidth; x += 8) {
                    image.setPixel(x, y, qRgb(0, 0, 0));
                }
            }
            break;
    }
    if (painter.isActive()) {
        painter.end();
    }
    return image;
}

}  // namespace stylorex
