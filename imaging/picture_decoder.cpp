#include "imaging/picture_decoder.h"

#include "imaging/header_fields.h"
#include "imaging/metafile_converter.h"
#include "os/regular_file.h"
#include "os/standard_error_capture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <QtEndian>

#include <cstring>

namespace stylorex {

namespace {

constexpr int kAllocationLimitMb = 128;

QString notAPicture() {
    return QCoreApplication::translate("PictureDecoder",
                                       "画像ファイルではないか、対応していない形式です");
}
// `size`: as the file states it or as decoded.
QString tooLarge(QSize size) {
    return QCoreApplication::translate("PictureDecoder",
                                       "画像が大きすぎます（%1×%2 画素。%3×%3、%4 画素まで）")
        .arg(size.width())
        .arg(size.height())
        .arg(kMaxPictureSide)
        .arg(kMaxPicturePixels);
}
QString damaged() {
    return QCoreApplication::translate("PictureDecoder",
                                       "画像データが壊れているか、途中で切れています");
}

std::nullopt_t fail(QString* reason, const QString& why) {
    if (reason != nullptr) {
        *reason = why;
    }
    return std::nullopt;
}

// The image libraries print their complaints ("libpng error: ...") on standard error, some
// directly, some through Qt's messages. While a decode runs they are caught, to become part of
// the reason, instead of reaching the terminal.
class LibraryMessages {
  public:
    // The reason `why`, with what the libraries said after it (each line once, without the
    // name of Qt's logging category).
    QString explain(const QString& why) const {
        static const QRegularExpression category(QStringLiteral("^qt\\.[\\w.]+: "));
        QStringList said;
        for (QString line : capture_.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            line = line.remove(category).trimmed();
            if (!line.isEmpty() && !said.contains(line)) {
                said << line;
            }
        }
        return said.isEmpty() ? why
                              : why + QCoreApplication::translate("PictureDecoder", "（") +
                                    said.join(QStringLiteral("; ")) +
                                    QCoreApplication::translate("PictureDecoder", "）");
    }

  private:
    StandardErrorCapture capture_;
};

bool sizeAllowed(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
           size.height() <= kMaxPictureSide &&
           qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

// Qt's readers show what a cut-off file holds and fill the rest. A cut-off file is a damaged
// file, though, and the commands leave the canvas alone for those: these checks tell whether
// the pixel data of the picture is all there.

// Uncompressed rows must all be present; run-length data must reach its end mark (or its
// last row).
bool bmpComplete(const QByteArray& data) {
    if (data.size() < 14 + 16 || data.at(0) != 'B' || data.at(1) != 'M') {
        return true;  // not a file Qt reads as a plain bitmap file; leave it to the reader
    }
    const qint64 pixelsAt = U32At(data, 10);
    const quint32 headerSize = U32At(data, 14);
    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = U16At(data, 18);
        height = U16At(data, 20);
        bits = U16At(data, 24);
    } else if (headerSize >= 40 && data.size() >= 14 + 40) {
        width = I32At(data, 18);
        height = I32At(data, 22);
        bits = U16At(data, 28);
        compression = U32At(data, 30);
    } else {
        return false;
    }
    height = qAbs(height);
    if (compression == 0 || compression == 3) {
        const qint64 stride = ((width * bits + 31) / 32) * 4;
        return pixelsAt + stride * height <= data.size();
    }
    if (compression != 1 && compression != 2) {
        return true;
    }
    const bool fourBits = compression == 2;
    qint64 at = pixelsAt;
    qint64 rows = 0;
    while (at + 2 <= data.size()) {
        const quint8 count = quint8(data.at(at));
        const quint8 value = quint8(data.at(at + 1));
        at += 2;
        if (count > 0) {
            continue;
        }
        if (value == 0) {
            if (++rows >= height) {
                return true;
            }
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (at + 2 > data.size()) {
                return false;
            }
            rows += quint8(data.at(at + 1));
            at += 2;
        } else {
            qint64 bytes = fourBits ? (value + 1) / 2 : value;
            bytes += bytes & 1;
            at += bytes;
        }
    }
    return false;
}

// The first image's data must run to its closing empty block.
bool gifFirstFrameComplete(const QByteArray& data) {
    const auto skipSubBlocks = [&data](qint64 at) -> qint64 {
        while (at < data.size()) {
            const quint8 length = quint8(data.at(at));
            at += 1 + length;
            if (length == 0) {
                return at <= data.size() ? at : -1;
            }
        }
        return -1;
    };
    if (data.size() < 13) {
        return false;
    }
    qint64 at = 13;
    const quint8 flags = quint8(data.at(10));
    if (flags & 0x80) {
        at += 3 * (2 << (flags & 7));
    }
    while (at >= 0 && at < data.size()) {
        const quint8 block = quint8(data.at(at));
        if (block == 0x21) {
            at = skipSubBlocks(at + 2);
        } else if (block == 0x2C) {
            if (at + 10 > data.size()) {
                return false;
            }
            const quint8 imageFlags = quint8(data.at(at + 9));
            at += 10;
            if (imageFlags & 0x80) {
                at += 3 * (2 << (imageFlags & 7));
            }
            return skipSubBlocks(at + 1) > 0;
        } else {
            return false;
        }
    }
    return false;
}

// The end-of-image mark must follow the (first) start of scan.
bool jpegComplete(const QByteArray& data) {
    const qsizetype scan = data.indexOf(QByteArray("\xFF\xDA", 2));
    return scan >= 0 && data.lastIndexOf(QByteArray("\xFF\xD9", 2)) > scan;
}

bool pixelDataComplete(const QByteArray& format, const QByteArray& data) {
    if (format == "bmp") {
        return bmpComplete(data);
    }
    if (format == "gif") {
        return gifFirstFrameComplete(data);
    }
    if (format == "jpeg" || format == "jpg") {
        return jpegComplete(data);
    }
    return true;
}

std::optional<QImage> readRaster(const QByteArray& data, QString* reason) {
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return fail(reason, notAPicture());
    }
    const LibraryMessages messages;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    if (!reader.canRead()) {
        return fail(reason, messages.explain(notAPicture()));
    }
    // Some readers only learn the size while decoding; for those the allocation limit guards.
    const QSize stated = reader.size();
    if (stated.isValid() && !sizeAllowed(stated)) {
        return fail(reason, tooLarge(stated));
    }
    if (!pixelDataComplete(reader.format(), data)) {
        return fail(reason, messages.explain(damaged()));
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return fail(reason, messages.explain(damaged()));
    }
    if (!sizeAllowed(image.size())) {
        return fail(reason, tooLarge(image.size()));
    }
    return image;
}

// Runs in the child.
std::optional<QImage> decodeHere(const QByteArray& data, QString* reason) {
    if (data.isEmpty()) {
        return fail(reason, QCoreApplication::translate("PictureDecoder", "データが空です"));
    }
    if (DetectMetafile(data) != MetafileKind::None) {
        std::optional<QImage> image =
            RenderMetafile(data, QSize(kMaxPictureSide, kMaxPictureSide), kMaxPicturePixels);
        if (!image) {
            return fail(reason, QCoreApplication::translate(
                                    "PictureDecoder", "メタファイルが壊れているか、大きすぎます"));
        }
        return image;
    }
    return readRaster(data, reason);
}

// Runs in the child.
std::optional<QImage> readAndDecodeHere(const QString& path, QString* reason) {
    QByteArray data;
    QString why;
    switch (ReadRegularFile(path, data, kMaxPictureFileBytes, &why)) {
        case FileRead::Read:
            break;
        case FileRead::Missing:
            return fail(reason,
                        QCoreApplication::translate("PictureDecoder", "ファイルがありません（%1）")
                            .arg(why));
        case FileRead::Refused:
            return fail(reason,
                        QCoreApplication::translate("PictureDecoder", "ファイルを読めません（%1）")
                            .arg(why));
    }
    return decodeHere(data, reason);
}

// The child's answer: 'E' and the reason in UTF-8, or 'I' and the picture: width, height, Qt's
// format, bytes per line and colour count (32 bits each, little-endian), the colour table (32
// bits each), then the rows as QImage holds them.
constexpr char kPictureAnswer = 'I';
constexpr char kReasonAnswer = 'E';
constexpr qsizetype kPictureHeaderBytes = 1 + 5 * 4;
constexpr int kMaxColours = 256;

// Every format of up to 32 bits a pixel goes as it is; wider ones (16-bit PNG channels) as
// 32-bit ARGB, which is what the canvas takes anyway.
QImage transportable(QImage image) {
    if (image.depth() > 32 || image.colorCount() > kMaxColours) {
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                             : QImage::Format_RGB32);
    }
    return image;
}

QByteArray answerOf(const std::optional<QImage>& decoded, const QString& reason) {
    if (!decoded) {
        return QByteArray(1, kReasonAnswer) + reason.toUtf8();
    }
    const QImage image = transportable(*decoded);
    QByteArray answer(kPictureHeaderBytes + image.colorCount() * 4 + image.sizeInBytes(),
                      Qt::Uninitialized);
    char* at = answer.data();
    *at++ = kPictureAnswer;
    for (const qint32 field :
         {qint32(image.width()), qint32(image.height()), qint32(image.format()),
          qint32(image.bytesPerLine()), qint32(image.colorCount())}) {
        qToLittleEndian<qint32>(field, at);
        at += 4;
    }
    for (const QRgb colour : image.colorTable()) {
        qToLittleEndian<quint32>(colour, at);
        at += 4;
    }
    std::memcpy(at, image.constBits(), size_t(image.sizeInBytes()));
    return answer;
}

// The largest answer a picture within the limits gives: 32 bits a pixel, rows padded to whole
// 32-bit words, and a full colour table.
qsizetype maxAnswerBytes() {
    return kPictureHeaderBytes + kMaxColours * 4 + kMaxPicturePixels * 4 + kMaxPictureSide * 4;
}

std::optional<QImage> pictureOf(const QByteArray& answer, QString* reason) {
    if (answer.startsWith(kReasonAnswer)) {
        return fail(reason, QString::fromUtf8(answer.mid(1)));
    }
    const qint32 width = I32At(answer, 1);
    const qint32 height = I32At(answer, 5);
    const qint32 format = I32At(answer, 9);
    const qint32 bytesPerLine = I32At(answer, 13);
    const qint32 colours = I32At(answer, 17);
    const bool valid = answer.startsWith(kPictureAnswer) && sizeAllowed(QSize(width, height)) &&
                       format > QImage::Format_Invalid && format < QImage::NImageFormats &&
                       colours >= 0 && colours <= kMaxColours && bytesPerLine > 0 &&
                       answer.size() == kPictureHeaderBytes + qsizetype(colours) * 4 +
                                            qsizetype(bytesPerLine) * height;
    if (!valid) {
        return fail(reason, damaged());
    }
    const char* at = answer.constData() + kPictureHeaderBytes;
    QList<QRgb> table;
    for (qint32 i = 0; i < colours; ++i, at += 4) {
        table << qFromLittleEndian<quint32>(at);
    }
    const QImage view(reinterpret_cast<const uchar*>(at), width, height, bytesPerLine,
                      static_cast<QImage::Format>(format));
    if (view.isNull() || view.bytesPerLine() != bytesPerLine) {
        return fail(reason, damaged());
    }
    QImage image = view.copy();
    if (!table.isEmpty()) {
        image.setColorTable(table);
    }
    return image;
}

// What a decode says when its child gave no answer.
QString limitsExceeded(const IsolationLimits& limits) {
    return QCoreApplication::translate(
               "PictureDecoder",
               "読み込みが制限（%1 秒）を超えたか、メモリが足りないか、途中で異常"
               "終了しました")
        .arg(limits.timeoutMs / 1000.0, 0, 'g', 3);
}

IsolationLimits decodeLimits(IsolationLimits limits) {
    limits.maxAnswerBytes = maxAnswerBytes();
    return limits;
}

std::optional<QImage> decodeIsolated(const std::function<QByteArray()>& work, QString* reason,
                                     const IsolationLimits& limits) {
    const std::optional<QByteArray> answer = RunIsolated(work, decodeLimits(limits));
    if (!answer) {
        return fail(reason, limitsExceeded(limits));
    }
    return pictureOf(*answer, reason);
}

}  // namespace

std::optional<QImage> DecodePictureData(const QByteArray& data, QString* reason,
                                        const IsolationLimits& limits) {
    return decodeIsolated(
        [&] {
            QString why;
            const std::optional<QImage> image = decodeHere(data, &why);
            return answerOf(image, why);
        },
        reason, limits);
}

std::optional<QImage> DecodePictureFile(const QString& path, QString* reason,
                                        const IsolationLimits& limits) {
    return decodeIsolated(
        [&] {
            QString why;
            const std::optional<QImage> image = readAndDecodeHere(path, &why);
            return answerOf(image, why);
        },
        reason, limits);
}

std::unique_ptr<PictureDecoding> PictureDecoding::ofFile(const QString& path,
                                                         const IsolationLimits& limits) {
    return std::unique_ptr<PictureDecoding>(new PictureDecoding(
        [path] {
            QString why;
            const std::optional<QImage> image = readAndDecodeHere(path, &why);
            return answerOf(image, why);
        },
        limits));
}

std::unique_ptr<PictureDecoding> PictureDecoding::ofData(const QByteArray& data,
                                                         const IsolationLimits& limits) {
    return std::unique_ptr<PictureDecoding>(new PictureDecoding(
        [data] {
            QString why;
            const std::optional<QImage> image = decodeHere(data, &why);
            return answerOf(image, why);
        },
        limits));
}

PictureDecoding::PictureDecoding(const std::function<QByteArray()>& work,
                                 const IsolationLimits& limits)
    : call_(std::make_unique<IsolatedCall>(work, decodeLimits(limits))),
      timeoutMs_(limits.timeoutMs) {
    if (call_->state() != IsolatedCall::State::Working) {
        // No child (no process or pipe left): said when the caller's loop next runs.
        QTimer::singleShot(0, this, &PictureDecoding::finish);
        return;
    }
    notifier_ = new QSocketNotifier(call_->fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PictureDecoding::readAnswer);
    deadline_ = new QTimer(this);
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this, [this] {
        call_->cancel();
        finish();
    });
    deadline_->start(limits.timeoutMs);
}

PictureDecoding::~PictureDecoding() = default;

void PictureDecoding::readAnswer() {
    if (call_->readAvailable() != IsolatedCall::State::Working) {
        finish();
    }
}

void PictureDecoding::cancel() {
    if (finished_) {
        return;
    }
    cancelled_ = true;
    call_->cancel();
    finish();
}

void PictureDecoding::finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (notifier_ != nullptr) {
        // Possibly inside its own signal: it goes once that has returned.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (deadline_ != nullptr) {
        deadline_->stop();
    }
    call_->cancel();
    if (cancelled_) {
        reason_ = QCoreApplication::translate("PictureDecoder", "読み込みを取り消しました");
    } else if (call_->state() == IsolatedCall::State::Answered) {
        image_ = pictureOf(call_->answer(), &reason_);
    } else {
        IsolationLimits limits;
        limits.timeoutMs = timeoutMs_;
        reason_ = limitsExceeded(limits);
    }
    emit finished();
}

}  // namespace stylorex
