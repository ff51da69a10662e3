#pragma once

#include "os/isolated_call.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace stylorex {

// Largest picture accepted, far above the largest canvas (600 × 480) yet small enough that a
// hostile header cannot make the program allocate more than about 100 MB for one picture.
constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPicturePixels = 25'000'000;
// Largest picture file read.
constexpr qint64 kMaxPictureFileBytes = 128LL * 1024 * 1024;

// Decodes a picture of any supported format, recognised by its content rather than its name:
// BMP and DIB (1, 4, 8, 16, 24 and 32 bits, RLE4 and RLE8), JPEG, GIF (the first frame), PNG,
// ICO and CUR (the first image) through Qt's readers; Windows and enhanced metafiles drawn at
// their own stored size in a child process within `metafileLimits` (RenderMetafile). Nothing
// when the data is damaged, not a picture, states a size beyond the limits above (checked from
// the header, before any pixel is decoded), or is a metafile whose drawing exceeds its limits.
// When nothing comes back and `reason` is given, it says why in words for the user. What the
// image libraries complain about while decoding goes into that reason, never onto the terminal.
std::optional<QImage> DecodePictureData(const QByteArray& data, QString* reason = nullptr,
                                        const IsolationLimits& metafileLimits = {});
// Reads and decodes one file; nothing when it is no regular file (a named pipe is refused at
// once), cannot be read, is larger than kMaxPictureFileBytes, or cannot be decoded.
std::optional<QImage> DecodePictureFile(const QString& path, QString* reason = nullptr);

}  // namespace stylorex
