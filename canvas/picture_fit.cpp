#include "canvas/picture_fit.h"

#include "canvas/canvas_image.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>

namespace stylorex {

namespace {

// Brightness as the eye weighs the channels, in integers: the darkest pixel of a block is the
// one with the lowest.
int Brightness(QRgb rgb) {
    return 299 * qRed(rgb) + 587 * qGreen(rgb) + 114 * qBlue(rgb);
}

QImage DarkestOfBlocks(const QImage& source, QSize size) {
    QImage out = MakeCanvasImage(size.width(), size.height());
    const double sx = double(source.width()) / size.width();
    const double sy = double(source.height()) / size.height();
    // The source columns and rows each pixel of the result covers: from the one its left (top)
    // edge falls in up to the last one its right (bottom) edge enters, at least one.
    auto span = [](int i, double step, int limit) {
        const int first = std::min(limit - 1, static_cast<int>(std::floor(i * step)));
        const int end = std::clamp(static_cast<int>(std::ceil((i + 1) * step)), first + 1, limit);
        return std::pair{first, end};
    };
    for (int y = 0; y < size.height(); ++y) {
        const auto [y0, y1] = span(y, sy, source.height());
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const auto [x0, x1] = span(x, sx, source.width());
            QRgb darkest = qRgb(255, 255, 255);
            int lowest = Brightness(darkest) + 1;
            for (int v = y0; v < y1; ++v) {
                const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(v));
                for (int u = x0; u < x1; ++u) {
                    const int brightness = Brightness(row[u]);
                    if (brightness < lowest) {
                        lowest = brightness;
                        darkest = row[u];
                    }
                }
            }
            line[x] = darkest | 0xff000000u;
        }
    }
    return out;
}

}  // namespace

QSize FittedSize(QSize picture, QSize box) {
    if (picture.isEmpty() || box.isEmpty()) {
        return QSize(1, 1);
    }
    const double scale =
        std::min(double(box.width()) / picture.width(), double(box.height()) / picture.height());
    const int width =
        std::clamp(static_cast<int>(std::lround(picture.width() * scale)), 1, box.width());
    const int height =
        std::clamp(static_cast<int>(std::lround(picture.height() * scale)), 1, box.height());
    return QSize(width, height);
}

QImage ScalePicture(const QImage& picture, QSize size, PictureScaling scaling) {
    if (picture.isNull() || size.isEmpty()) {
        return {};
    }
    const QImage source = CanvasPicture(picture);
    if (source.size() == size) {
        return source;
    }
    if (scaling == PictureScaling::Smooth) {
        return CanvasPicture(source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    return DarkestOfBlocks(source, size);
}

QImage FitPictureWithin(const QImage& picture, QSize limit, PictureScaling scaling) {
    if (picture.isNull() ||
        (picture.width() <= limit.width() && picture.height() <= limit.height())) {
        return CanvasPicture(picture);
    }
    return ScalePicture(picture, FittedSize(picture.size(), limit), scaling);
}

PictureOnCanvas PictureOnOwnCanvas(const QImage& picture, CanvasFit fit, PictureScaling scaling) {
    const QSize largest(kLargestCanvasWidth, kLargestCanvasHeight);
    PictureOnCanvas placed;
    if (fit == CanvasFit::Shrink) {
        placed.background = FitPictureWithin(picture, largest, scaling);
        placed.size = placed.background.size();
        placed.shrunk = placed.size != picture.size();
        return placed;
    }
    const bool larger = picture.width() > largest.width() || picture.height() > largest.height();
    if (larger && fit == CanvasFit::Whole) {
        return placed;
    }
    placed.background = CanvasPicture(picture);
    placed.size = picture.size().boundedTo(largest);
    placed.cropped = larger;
    return placed;
}

QString ShrunkPictureText(QSize shrunk, QSize original) {
    const auto size = [](QSize s) {
        return QStringLiteral("%1×%2").arg(s.width()).arg(s.height());
    };
    return QCoreApplication::translate("PictureFit", "画像を %1 に縮小しました（元の大きさ %2）")
        .arg(size(shrunk), size(original));
}

QRect NonWhiteBounds(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int left = rgb.width();
    int right = -1;
    int top = rgb.height();
    int bottom = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if ((row[x] & 0xffffffu) != 0xffffffu) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {};
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace stylorex
