#pragma once

#include "os/isolated_call.h"

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
// is drawn with Qt SVG. Conversion and drawing both run in a child process within `limits`, so
// neither a library fault nor drawing work without end on a hostile file reaches this process,
// and the caller waits no longer than the limits' time. Nothing when the file is not a
// metafile, is damaged, exceeds a limit, or its stored size exceeds `maxSize` or `maxPixels`
// (checked before any drawing).
std::optional<QImage> RenderMetafile(const QByteArray& data, QSize maxSize, qint64 maxPixels,
                                     const IsolationLimits& limits = {});

}  // namespace stylorex
