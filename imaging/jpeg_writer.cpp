#include "imaging/jpeg_writer.h"

#include "imaging/image_file.h"

namespace stylorex {

bool DCSavetoJPEG(const QImage& image, int width, int height, const QString& path, quint8 quality,
                  int /*flags*/) {
    if (image.isNull() || width <= 0 || height <= 0 || width > image.width() ||
        height > image.height() || path.isEmpty()) {
        return false;
    }
    const QImage pixels = image.copy(0, 0, width, height).convertToFormat(QImage::Format_RGB32);
    return WriteImageFile(pixels, path, "jpeg", qMin<int>(quality, 100));
}

}  // namespace stylorex
