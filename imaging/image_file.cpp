#include "imaging/image_file.h"

#include <QBuffer>
#include <QImageWriter>

namespace stylorex {

namespace {

bool writeImage(const QImage& image, const QString& path, const char* format, int quality,
                SymbolicLinks links, QString* why, const AtomicFileWriter& writer) {
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter encoder(&encoded, format);
    encoder.setQuality(quality);
    if (!encoder.write(image)) {
        if (why != nullptr) {
            *why = encoder.errorString();
        }
        return false;
    }
    return writer.replace(path, encoded.data(), links, why);
}

}  // namespace

bool WriteImageFile(const QImage& image, const QString& path, const char* format, int quality,
                    QString* why, const AtomicFileWriter& writer) {
    return writeImage(image, path, format, quality, kImageFileLinks, why, writer);
}

bool WriteNamedPngFile(const QImage& image, const QString& path, QString* why,
                       const AtomicFileWriter& writer) {
    return writeImage(image, path, "png", -1, SymbolicLinks::Follow, why, writer);
}

}  // namespace stylorex
