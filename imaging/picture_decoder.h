#pragma once

#include "os/isolated_call.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;
class QTimer;

namespace stylorex {

// Largest picture accepted, far above the largest canvas (600 × 480) yet small enough that a
// hostile header cannot make the program allocate more than about 100 MB for one picture.
constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPicturePixels = 25'000'000;
// Largest picture file read.
constexpr qint64 kMaxPictureFileBytes = 128LL * 1024 * 1024;

// Decodes a picture of any supported format, recognised by its content rather than its name:
// BMP and DIB (1, 4, 8, 16, 24 and 32 bits, RLE4 and RLE8), JPEG, GIF (the first frame), PNG,
// ICO and CUR (the first image), SVG and whatever else Qt's readers recognise, and Windows and
// enhanced metafiles drawn at their own stored size (RenderMetafile). Every decoder runs in a
// child process within `limits` (the time the caller waits, the child's processor time and
// memory), so that no file, hostile or only slow, crashes or holds up this process. Nothing
// when the data is damaged, not a picture, states a size beyond the limits above (checked from
// the header, before any pixel is decoded), or its decoding exceeds `limits`. When nothing
// comes back and `reason` is given, it says why in words for the user. What the image libraries
// complain about while decoding goes into that reason, never onto the terminal.
std::optional<QImage> DecodePictureData(const QByteArray& data, QString* reason = nullptr,
                                        const IsolationLimits& limits = {});
// Reads (in the child as well) and decodes one file; nothing when it is no regular file (a
// named pipe is refused at once), cannot be read, is larger than kMaxPictureFileBytes, or cannot
// be decoded.
std::optional<QImage> DecodePictureFile(const QString& path, QString* reason = nullptr,
                                        const IsolationLimits& limits = {});

// A decode the caller does not wait for, as DecodePictureFile and DecodePictureData do it: the
// event loop goes on meanwhile, and finished() is emitted once, when the picture or the reason
// is there, the limits ended the decode, or cancel() did.
class PictureDecoding : public QObject {
    Q_OBJECT
  public:
    static std::unique_ptr<PictureDecoding> ofFile(const QString& path,
                                                   const IsolationLimits& limits = {});
    static std::unique_ptr<PictureDecoding> ofData(const QByteArray& data,
                                                   const IsolationLimits& limits = {});
    // A decode still going on is ended without a finished() signal.
    ~PictureDecoding() override;

    // Ends the decode now; finished() follows at once, with cancelled() true.
    void cancel();
    bool isFinished() const { return finished_; }
    bool cancelled() const { return cancelled_; }
    // Once finished: the picture, or nothing and the reason.
    const std::optional<QImage>& image() const { return image_; }
    const QString& reason() const { return reason_; }

  signals:
    void finished();

  private:
    PictureDecoding(const std::function<QByteArray()>& work, const IsolationLimits& limits);
    void readAnswer();
    void finish();

    std::unique_ptr<IsolatedCall> call_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* deadline_ = nullptr;
    int timeoutMs_ = 0;
    std::optional<QImage> image_;
    QString reason_;
    bool finished_ = false;
    bool cancelled_ = false;
};

}  // namespace stylorex
