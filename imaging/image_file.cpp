#include "imaging/image_file.h"

#include <QBuffer>
#include <QImageWriter>

namespace stylorex {

bool WriteImageFile(const QImage& image, const QString& path, const char* format, int quality,
                    const AtomicFileWriter& writer) {
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter encoder(&encoded, format);
    encoder.setQuality(quality);
    if (!encoder.write(image)) {
        return false;
    }
    return writer.replace(path, encoded.data(), kImageFileLinks);
}

}  // namespace stylorex
