#include "painter/canvas_drawing.h"

#include "canvas/picture_box.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace stylorex {

namespace {

// Qt's aliased pen strokes come out centred on a pixel when the coordinate is the pixel's
// centre; shifting by half a pixel makes whole coordinates name pixels, so wide lines are
// symmetric about their path and thin ones hit exactly their pixels.
constexpr double kPixelCentre = 0.5;

void strokeWithPen(PictureBox& picture, const QPen& pen,
                   const std::function<void(QPainter&)>& draw) {
    picture.paintOnTarget([&](QPainter& painter) {
        painter.translate(kPixelCentre, kPixelCentre);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        draw(painter);
    });
}

QStringList splitLines(const QString& text) {
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

constexpr double kCanvasDpi = 96.0;
constexpr double kPointsPerInch = 72.0;

}  // namespace

void DrawDot(PictureBox& picture, QPoint at, const QColor& colour) {
    const int width = std::max(1, picture.DrawWidth());
    // Centre: the pixel's centre for odd widths, its top-left corner for even ones.
    const double offset = (width % 2 == 1) ? 0.5 : 0.0;
    const double cx = at.x() + offset;
    const double cy = at.y() + offset;
    const double r2 = (width / 2.0) * (width / 2.0);
    const int reach = width / 2 + 1;
    picture.paintOnTarget([&](QPainter& painter) {
        for (int row = at.y() - reach; row <= at.y() + reach; ++row) {
            const double dy = row + 0.5 - cy;
            int first = 0;
            int last = -1;
            for (int col = at.x() - reach; col <= at.x() + reach; ++col) {
                const double dx = col + 0.5 - cx;
                if (dx * dx + dy * dy <= r2) {
                    if (last < first) {
                        first = col;
                    }
                    last = col;
                }
            }
            if (last >= first) {
                painter.fillRect(first, row, last - first + 1, 1, colour);
            }
        }
    });
}

void DrawLine(PictureBox& picture, QPoint from, QPoint to, const QColor& colour) {
    strokeWithPen(picture, picture.userPen(colour),
                  [&](QPainter& painter) { painter.drawLine(from, to); });
}

void DrawBoxOutline(PictureBox& picture, QPoint corner1, QPoint corner2, const QColor& colour) {
    const int left = std::min(corner1.x(), corner2.x());
    const int right = std::max(corner1.x(), corner2.x());
    const int top = std::min(corner1.y(), corner2.y());
    const int bottom = std::max(corner1.y(), corner2.y());
    strokeWithPen(picture, picture.userPen(colour), [&](QPainter& painter) {
        if (left == right || top == bottom) {
            painter.drawLine(QPoint(left, top), QPoint(right, bottom));
            return;
        }
        const QPolygon outline(
            {QPoint(left, top), QPoint(right, top), QPoint(right, bottom), QPoint(left, bottom)});
        painter.drawPolygon(outline);
    });
}

void DrawEllipseOutline(PictureBox& picture, QPoint centre, double radius, const QColor& colour,
                        double aspect) {
    double rx = radius;
    double ry = radius;
    if (aspect < 1.0) {
        ry = radius * aspect;
    } else if (aspect > 1.0) {
        rx = radius / aspect;
    }
    rx = std::abs(rx);
    ry = std::abs(ry);
    strokeWithPen(picture, picture.userPen(colour), [&](QPainter& painter) {
        if (rx == 0.0 && ry == 0.0) {
            painter.drawPoint(centre);
        } else if (ry == 0.0) {
            painter.drawLine(QPointF(centre.x() - rx, centre.y()),
                             QPointF(centre.x() + rx, centre.y()));
        } else if (rx == 0.0) {
            painter.drawLine(QPointF(centre.x(), centre.y() - ry),
                             QPointF(centre.x(), centre.y() + ry));
        } else {
            painter.drawEllipse(QPointF(centre), rx, ry);
        }
    });
}

void Rectangle(PictureBox& picture, int left, int top, int right, int bottom) {
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    if (left == right || top == bottom) {
        return;
    }
    DrawBoxOutline(picture, QPoint(left, top), QPoint(right - 1, bottom - 1), picture.ForeColor());
}

void PolyBezier(PictureBox& picture, const std::array<QPoint, 4>& points) {
    QPainterPath path(points[0]);
    path.cubicTo(points[1], points[2], points[3]);
    strokeWithPen(picture, picture.userPen(picture.ForeColor()),
                  [&](QPainter& painter) { painter.drawPath(path); });
}

QFont CanvasFont(const PictureBox& picture) {
    QFont font = picture.font();
    if (font.pointSizeF() > 0) {
        const int pixels = std::max(
            1, static_cast<int>(std::lround(font.pointSizeF() * kCanvasDpi / kPointsPerInch)));
        font.setPixelSize(pixels);
    }
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void PrintText(PictureBox& picture, const QString& text) {
    const QFont font = CanvasFont(picture);
    const QFontMetrics metrics(font);
    const QColor colour = picture.ForeColor();
    const QColor back = picture.BackColor();
    const bool transparent = picture.FontTransparent();
    double x = picture.CurrentX();
    double y = picture.CurrentY();
    const QStringList lines = splitLines(text);
    picture.paintOnTarget([&](QPainter& painter) {
        painter.setFont(font);
        painter.setPen(colour);
        double lineX = x;
        double lineY = y;
        for (const QString& line : lines) {
            const QPointF topLeft(std::round(lineX), std::round(lineY));
            if (!transparent) {
                painter.fillRect(
                    QRectF(topLeft, QSizeF(metrics.horizontalAdvance(line), metrics.height())),
                    back);
            }
            painter.drawText(topLeft + QPointF(0, metrics.ascent()), line);
            lineX = 0;
            lineY += metrics.height();
        }
    });
    picture.setCurrentX(0);
    picture.setCurrentY(y + metrics.height() * lines.size());
}

QPainterPath TextOutlinePath(const PictureBox& picture, double x, double y, const QString& text,
                             double* nextLineY) {
    const QFont font = CanvasFont(picture);
    const QFontMetrics metrics(font);
    QPainterPath path;
    double lineX = x;
    double lineY = y;
    for (const QString& line : splitLines(text)) {
        path.addText(QPointF(std::round(lineX), std::round(lineY) + metrics.ascent()), font, line);
        lineX = 0;
        lineY += metrics.height();
    }
    if (nextLineY != nullptr) {
        *nextLineY = lineY;
    }
    return path;
}

void StrokeTextOutline(PictureBox& picture, const QString& text) {
    double nextLineY = 0;
    const QPainterPath path =
        TextOutlinePath(picture, picture.CurrentX(), picture.CurrentY(), text, &nextLineY);
    strokeWithPen(picture, picture.userPen(picture.ForeColor()),
                  [&](QPainter& painter) { painter.drawPath(path); });
    picture.setCurrentX(0);
    picture.setCurrentY(nextLineY);
}

}  // namespace stylorex
