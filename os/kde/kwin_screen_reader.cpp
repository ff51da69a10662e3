#include "os/kde/kwin_screen_reader.h"

#include "os/dbus/session_bus.h"

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace stylorex {

namespace {

// Far above what KWin needs for a whole screen (0.5 s measured), short enough not to hang a run
// on a KWin that stopped answering.
constexpr int kLimitMs = 5000;

// Reads `size` bytes, or what comes before the writer closes the pipe or the limit passes.
QByteArray ReadPipe(int fd, qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    qsizetype done = 0;
    while (done < size) {
        pollfd input{fd, POLLIN, 0};
        const int ready = poll(&input, 1, kLimitMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        const ssize_t got = read(fd, data.data() + done, static_cast<std::size_t>(size - done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += got;
    }
    data.truncate(done);
    return data;
}

}  // namespace

KWinScreenReader::KWinScreenReader(std::shared_ptr<SessionBus> bus) : bus_(std::move(bus)) {}

QImage KWinScreenReader::grab(const QRect& rect) {
    if (rect.isEmpty()) {
        return QImage();
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        lastError_ = QStringLiteral("pipe");
        return QImage();
    }
    QVariantMap results;
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
            QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("CaptureArea"));
        // Logical pixels, without the pointer: what a window under it shows.
        const QVariantMap options{{QStringLiteral("include-cursor"), false},
                                  {QStringLiteral("native-resolution"), false}};
        call << rect.x() << rect.y() << static_cast<uint>(rect.width())
             << static_cast<uint>(rect.height()) << options
             << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
        // The message holds a copy of the write end until it goes: KWin's end alone must stay
        // open for the read below to see the pipe close.
        close(ends[1]);
        const QDBusMessage reply = bus_->call(call, kLimitMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            lastError_ = DBusErrorText(reply);
            close(ends[0]);
            return QImage();
        }
        results = qdbus_cast<QVariantMap>(reply.arguments().first());
    }
    const int width = results.value(QStringLiteral("width")).toInt();
    const int height = results.value(QStringLiteral("height")).toInt();
    const int stride = results.value(QStringLiteral("stride")).toInt();
    const auto format =
        static_cast<QImage::Format>(results.value(QStringLiteral("format")).toInt());
    const QByteArray data = ReadPipe(ends[0], static_cast<qsizetype>(stride) * height);
    close(ends[0]);
    if (width != rect.width() || height != rect.height() || format == QImage::Format_Invalid ||
        data.size() != static_cast<qsizetype>(stride) * height) {
        lastError_ = QStringLiteral("KWin sent %1 bytes of a %2 x %3 image")
                         .arg(data.size())
                         .arg(width)
                         .arg(height);
        return QImage();
    }
    lastError_.clear();
    const QImage image(reinterpret_cast<const uchar*>(data.constData()), width, height, stride,
                       format);
    // The image lies on `data`, which goes with this call: the result is a copy either way.
    return image.format() == QImage::Format_RGB32 ? image.copy()
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

std::optional<QRgb> KWinScreenReader::pixel(QPoint at) {
    const QImage one = grab(QRect(at, QSize(1, 1)));
    if (one.isNull()) {
        return std::nullopt;
    }
    return one.pixel(0, 0) | 0xff000000u;
}

}  // namespace stylorex
