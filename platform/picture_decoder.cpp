#include "platform/picture_decoder.h"

#include "platform/metafile_converter.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

namespace stylorex {

namespace {

constexpr int kAllocationLimitMb = 128;

bool sizeAllowed(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
           size.height() <= kMaxPictureSide &&
           qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

std::optional<QImage> renderMetafile(const QByteArray& data) {
    const std::optional<MetafileSvg> converted =
        ConvertMetafileToSvg(data, QSize(kMaxPictureSide, kMaxPictureSide), kMaxPicturePixels);
    if (!converted || !sizeAllowed(converted->size)) {
        return std::nullopt;
    }
    QSvgRenderer renderer(converted->svg);
    if (!renderer.isValid()) {
        return std::nullopt;
    }
    QImage image(converted->size, QImage::Format_RGB32);
    if (image.isNull()) {
        return std::nullopt;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    // The drawing run traces every pixel: grey antialiasing fringes would become strokes.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(converted->size)));
    painter.end();
    return image;
}

std::optional<QImage> readRaster(const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    if (!reader.canRead()) {
        return std::nullopt;
    }
    // Some readers only learn the size while decoding; for those the allocation limit guards.
    const QSize stated = reader.size();
    if (stated.isValid() && !sizeAllowed(stated)) {
        return std::nullopt;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull() || !sizeAllowed(image.size())) {
        return std::nullopt;
    }
    return image;
}

}  // namespace

std::optional<QImage> DecodePictureData(const QByteArray& data) {
    if (data.isEmpty()) {
        return std::nullopt;
    }
    if (DetectMetafile(data) != MetafileKind::None) {
        return renderMetafile(data);
    }
    return readRaster(data);
}

std::optional<QImage> DecodePictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPictureFileBytes) {
        return std::nullopt;
    }
    const QByteArray data = file.read(kMaxPictureFileBytes + 1);
    if (data.size() > kMaxPictureFileBytes) {
        return std::nullopt;
    }
    return DecodePictureData(data);
}

}  // namespace stylorex
