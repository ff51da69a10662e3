#pragma once

#include "os/atomic_file.h"

#include <QImage>
#include <QString>

namespace stylorex {

// How image files are replaced: a symbolic link under the name gives way to the new file.
constexpr SymbolicLinks kImageFileLinks = SymbolicLinks::Replace;

// Encodes `image` in `format` ("jpeg", "bmp"; `quality` as QImageWriter takes it, -1 for the
// format's default) and replaces the file at `path` with it through `writer`, so the file
// appears complete or not at all and an older file of that name survives a failure. A symbolic
// link of that name is replaced, never the file it points at. False when the image cannot be
// encoded or the file cannot be written; `why`, when given, then receives the reason.
bool WriteImageFile(const QImage& image, const QString& path, const char* format, int quality = -1,
                    QString* why = nullptr, const AtomicFileWriter& writer = SystemFileWriter());

// Writes `image` as a PNG file at a path the user gave on the command line, as WriteImageFile
// does, but a symbolic link of that name is followed to the file it points at (made when it does
// not exist yet), as the settings file's is. Only a regular file or a new name is written: false
// for a named pipe, a device or a folder, which stay as they are.
bool WriteNamedPngFile(const QImage& image, const QString& path, QString* why = nullptr,
                       const AtomicFileWriter& writer = SystemFileWriter());

}  // namespace stylorex
