#include "imaging/image_file.h"

#include <QBuffer>
#include <QImageWriter>

namespace stylorex {

namespace {

bool writeImage(const QImage& image, const QString& path, const char* format, int quality,
                SymbolicLinks links, const AtomicFileWriter& writer) {
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter encoder(&encoded, format);
    encoder.setQuality(quality);
    if (!encoder.write(image)) {
        return false;
    }
    return writer.replace(path, encoded.data(), links);
}

}  // namespace

bool WriteImageFile(const QImage& image, const QString& path, const char* format, int quality,
                    const AtomicFileWriter& writer) {
    return writeImage(image, path, format, quality, kImageFileLinks, writer);
}

bool WriteNamedPngFile(const QImage& image, const QString& path, const AtomicFileWriter& writer) {
    return writeImage(image, path, "png", -1, SymbolicLinks::Follow, writer);
}

}  // namespace stylorex
