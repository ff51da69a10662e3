#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

namespace stylorex {

enum class MetafileKind { None, Windows, Enhanced };

// Recognises a Windows metafile (placeable or plain) or an enhanced metafile by its header.
MetafileKind DetectMetafile(const QByteArray& data);

// Draws a metafile at its own stored size (96 dpi) on white, without antialiasing. Windows
// metafiles are converted to SVG through libwmf, enhanced ones through libemf2svg, and the SVG
// is drawn with Qt SVG. Neither the libraries nor the drawing are bounded on a hostile file:
// this runs only inside the limited child of a decode (DecodePictureData). Nothing when the
// file is not a metafile, is damaged, or its stored size exceeds `maxSize` or `maxPixels`
// (checked before any drawing).
std::optional<QImage> RenderMetafile(const QByteArray& data, QSize maxSize, qint64 maxPixels);

}  // namespace stylorex
