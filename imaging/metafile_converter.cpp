#include "imaging/metafile_converter.h"

#include "imaging/header_fields.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cmath>
#include <cstring>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

namespace stylorex {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7u;
constexpr quint32 kEmfSignature = 0x464D4520u;  // " EMF"
constexpr int kEmfHeaderMinimum = 88;
constexpr double kHimetricPerInch = 2540.0;
constexpr double kScreenDpi = 96.0;
constexpr double kPointsPerInch = 72.0;

bool sizeAllowed(qint64 width, qint64 height, QSize maxSize, qint64 maxPixels) {
    return width > 0 && height > 0 && width <= maxSize.width() && height <= maxSize.height() &&
           width * height <= maxPixels;
}

bool isPlainWmfHeader(const QByteArray& data, qsizetype offset) {
    if (data.size() < offset + 18) {
        return false;
    }
    const quint16 type = U16At(data, offset);
    const quint16 headerWords = U16At(data, offset + 2);
    const quint16 version = U16At(data, offset + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

// What a converter gives: the SVG and the size to draw it at.
struct MetafileSvg {
    QSize size;
    QByteArray svg;
};

QImage drawSvg(const MetafileSvg& converted) {
    QSvgRenderer renderer(converted.svg);
    if (!renderer.isValid()) {
        return {};
    }
    QImage image(converted.size, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    // The drawing run traces every pixel: grey antialiasing fringes would become strokes.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(converted.size)));
    painter.end();
    return image;
}

std::optional<MetafileSvg> convertWmf(QByteArray data, QSize maxSize, qint64 maxPixels) {
    wmfAPI* api = nullptr;
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_svg_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None || api == nullptr) {
        return std::nullopt;
    }
    std::optional<MetafileSvg> converted;
    wmf_svg_t* device = WMF_SVG_GetData(api);
    wmfD_Rect bbox;
    unsigned int width = 0;
    unsigned int height = 0;
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), data.size()) ==
            wmf_E_None &&
        wmf_scan(api, 0, &bbox) == wmf_E_None &&
        wmf_display_size(api, &width, &height, kScreenDpi, kScreenDpi) == wmf_E_None &&
        sizeAllowed(width, height, maxSize, maxPixels)) {
        device->out = wmf_stream_create(api, nullptr);
        device->Description = const_cast<char*>("Stylorex");
        // The scan's box bounds what is drawn; a placeable file states its page, and the page
        // is what maps onto the picture (the player's device units are points, 1/72 inch).
        if (U32At(data, 0) == kPlaceableKey) {
            bbox.TL.x = 0;
            bbox.TL.y = 0;
            bbox.BR.x = static_cast<float>(width * kPointsPerInch / kScreenDpi);
            bbox.BR.y = static_cast<float>(height * kPointsPerInch / kScreenDpi);
        }
        device->bbox = bbox;
        device->width = width;
        device->height = height;
        device->flags |= WMF_SVG_INLINE_IMAGES;
        const bool played = device->out != nullptr && wmf_play(api, 0, &bbox) == wmf_E_None;
        char* svg = nullptr;
        unsigned long length = 0;
        if (device->out != nullptr) {
            wmf_stream_destroy(api, device->out, &svg, &length);
        }
        if (played && svg != nullptr && length > 0) {
            converted = MetafileSvg{QSize(static_cast<int>(width), static_cast<int>(height)),
                                    QByteArray(svg, static_cast<qsizetype>(length))};
        }
        wmf_mem_close(api);
    }
    wmf_api_destroy(api);
    return converted;
}

std::optional<MetafileSvg> convertEmf(QByteArray data, QSize size) {
    generatorOptions options;
    std::memset(&options, 0, sizeof options);
    options.nameSpace = const_cast<char*>("svg");
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();
    char* svg = nullptr;
    size_t length = 0;
    const int ok = emf2svg(data.data(), static_cast<size_t>(data.size()), &svg, &length, &options);
    std::optional<MetafileSvg> converted;
    if (ok != 0 && svg != nullptr && length > 0) {
        converted = MetafileSvg{size, QByteArray(svg, static_cast<qsizetype>(length))};
    }
    std::free(svg);
    return converted;
}

// The size an enhanced metafile gives itself: its frame (hundredths of a millimetre) at
// 96 dpi, else its bounds in device pixels.
std::optional<QSize> emfStoredSize(const QByteArray& data) {
    const qint64 frameWidth = qint64(I32At(data, 32)) - I32At(data, 24);
    const qint64 frameHeight = qint64(I32At(data, 36)) - I32At(data, 28);
    if (frameWidth > 0 && frameHeight > 0) {
        return QSize(static_cast<int>(qMin<double>(
                         std::lround(frameWidth * kScreenDpi / kHimetricPerInch), INT_MAX)),
                     static_cast<int>(qMin<double>(
                         std::lround(frameHeight * kScreenDpi / kHimetricPerInch), INT_MAX)));
    }
    const qint64 boundsWidth = qint64(I32At(data, 16)) - I32At(data, 8) + 1;
    const qint64 boundsHeight = qint64(I32At(data, 20)) - I32At(data, 12) + 1;
    if (boundsWidth > 0 && boundsHeight > 0 && boundsWidth < INT_MAX && boundsHeight < INT_MAX) {
        return QSize(static_cast<int>(boundsWidth), static_cast<int>(boundsHeight));
    }
    return std::nullopt;
}

// The placeable header states the size before anything is played: refuse huge ones at once.
bool placeableSizeAllowed(const QByteArray& data, QSize maxSize, qint64 maxPixels) {
    const qint64 width = qint64(I16At(data, 10)) - I16At(data, 6);
    const qint64 height = qint64(I16At(data, 12)) - I16At(data, 8);
    const quint16 unitsPerInch = U16At(data, 14);
    if (unitsPerInch == 0) {
        return false;
    }
    const qint64 pixelsWide = std::llround(std::abs(width) * kScreenDpi / unitsPerInch);
    const qint64 pixelsHigh = std::llround(std::abs(height) * kScreenDpi / unitsPerInch);
    return sizeAllowed(pixelsWide, pixelsHigh, maxSize, maxPixels);
}

}  // namespace

MetafileKind DetectMetafile(const QByteArray& data) {
    if (data.size() >= 22 + 18 && U32At(data, 0) == kPlaceableKey && isPlainWmfHeader(data, 22)) {
        return MetafileKind::Windows;
    }
    if (isPlainWmfHeader(data, 0)) {
        return MetafileKind::Windows;
    }
    if (data.size() >= kEmfHeaderMinimum && U32At(data, 0) == 1 &&
        U32At(data, 40) == kEmfSignature) {
        return MetafileKind::Enhanced;
    }
    return MetafileKind::None;
}

std::optional<QImage> RenderMetafile(const QByteArray& data, QSize maxSize, qint64 maxPixels) {
    std::optional<MetafileSvg> converted;
    switch (DetectMetafile(data)) {
        case MetafileKind::Windows:
            if (U32At(data, 0) == kPlaceableKey &&
                !placeableSizeAllowed(data, maxSize, maxPixels)) {
                return std::nullopt;
            }
            converted = convertWmf(data, maxSize, maxPixels);
            break;
        case MetafileKind::Enhanced:
            if (const std::optional<QSize> size = emfStoredSize(data);
                size && sizeAllowed(size->width(), size->height(), maxSize, maxPixels)) {
                converted = convertEmf(data, *size);
            }
            break;
        case MetafileKind::None:
            break;
    }
    if (!converted) {
        return std::nullopt;
    }
    QImage image = drawSvg(*converted);
    if (image.isNull()) {
        return std::nullopt;
    }
    return image;
}

}  // namespace stylorex
