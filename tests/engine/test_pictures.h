#pragma once

#include "engine/pen_plan.h"
#include "engine/pixel_scan.h"

#include <QColor>
#include <QImage>

#include <initializer_list>
#include <utility>

namespace stylorex::testing {

// A white picture of the canvas format with the listed pixels in `ink`.
inline QImage PictureWith(int width, int height, std::initializer_list<std::pair<int, int>> pixels,
                          QColor ink = Qt::black) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (const auto& [x, y] : pixels) {
        image.setPixelColor(x, y, ink);
    }
    return image;
}

inline QImage FilledPicture(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

inline QImage Checkerboard(int width, int height) {
    QImage image = FilledPicture(width, height, Qt::white);
    for (int y = 0; y < height; ++y) {
        for (int x = (y % 2); x < width; x += 2) {
            image.setPixelColor(x, y, Qt::black);
        }
    }
    return image;
}

// Blackens what a pen `width` pixels across (PenReaches) centred on (x, y) reaches of `canvas`.
inline void StampPen(QImage& canvas, int width, int x, int y) {
    for (int dy = -width; dy <= width; ++dy) {
        for (int dx = -width; dx <= width; ++dx) {
            if (PenReaches(width, dx, dy) && canvas.valid(x + dx, y + dy)) {
                canvas.setPixel(x + dx, y + dy, qRgb(0, 0, 0));
            }
        }
    }
}

inline ExtractionSettings Mode(std::int32_t mode, std::int32_t black = 80,
                               std::int32_t white = 240) {
    return ExtractionSettings{mode, black, white};
}

}  // namespace stylorex::testing
