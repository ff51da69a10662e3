#pragma once

#include <QImage>
#include <QString>

#include <QtGlobal>

namespace stylorex {

// Our JPEG writer, called as the pattern library calls its outside JPEG library: writes the
// top-left `width` × `height` pixels of `image` as a JPEG file at `path` with the given
// quality (0 to 100; the pattern library passes 90). `flags` is reserved and ignored (callers
// pass 0). The file appears complete or not at all: it is written to a temporary file beside
// `path` and renamed over it, so a failed write never leaves a truncated file and never
// damages an older file of that name.
// Returns true when the file was written; false when the size is empty, larger than the image,
// or the file cannot be written (the caller then falls back to another format).
bool DCSavetoJPEG(const QImage& image, int width, int height, const QString& path, quint8 quality,
                  int flags);

}  // namespace stylorex
