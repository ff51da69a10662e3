#include "ui/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace stylorex {

QPixmap ProgramIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Everything is drawn on a 32-unit grid and scaled, so both sizes show the same picture.
    painter.scale(size / 32.0, size / 32.0);

    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 4, 4);

    // The stroke the pointer leaves behind.
    QPainterPath stroke;
    stroke.moveTo(5, 25);
    stroke.cubicTo(9, 9, 14, 30, 19, 13);
    painter.setPen(QPen(QColor(0x1a, 0x4f, 0xc4), 3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(stroke);

    // The pointer arrow at the stroke's end.
    const QPolygonF arrow({QPointF(18, 9), QPointF(18, 27), QPointF(22, 23), QPointF(25, 29.5),
                           QPointF(27.5, 28.3), QPointF(24.5, 22), QPointF(29.5, 21.5)});
    painter.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0xff, 0xd2, 0x3c));
    painter.drawPolygon(arrow);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    icon.addPixmap(ProgramIconPixmap(16));
    icon.addPixmap(ProgramIconPixmap(32));
    return icon;
}

}  // namespace stylorex
