#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

namespace stylorex {

enum class MetafileKind { None, Windows, Enhanced };

// Recognises a Windows metafile (placeable or plain) or an enhanced metafile by its header.
MetafileKind DetectMetafile(const QByteArray& data);

struct MetafileSvg {
    QSize size;  // the metafile's own stored size in pixels at 96 dpi
    QByteArray svg;
};

// Converts a metafile to SVG (Windows metafiles through libwmf, enhanced ones through
// libemf2svg). The conversion runs in a child process with time and memory limits, so a
// library fault on a hostile file only loses that file. Nothing when the file is not a
// metafile, is damaged, or its stored size exceeds `maxSize` (checked before any drawing).
std::optional<MetafileSvg> ConvertMetafileToSvg(const QByteArray& data, QSize maxSize,
                                                qint64 maxPixels);

}  // namespace stylorex
