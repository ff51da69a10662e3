#include "os/run_lock.h"

#include "os/program_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stylorex {

namespace {

// The display's name as part of a file name: letters, digits, '.', '-' and '_' stay, every
// other character becomes '_'. A name too long for a file name (a Wayland socket's path deep in
// some folder) is replaced by its digest.
QString fileNamePart(const QString& display) {
    QString part = display;
    for (QChar& c : part) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (!plain) {
            c = QLatin1Char('_');
        }
    }
    constexpr qsizetype kLongestPart = 160;
    if (part.size() > kLongestPart) {
        return QString::fromLatin1(
            QCryptographicHash::hash(display.toUtf8(), QCryptographicHash::Sha256).toHex());
    }
    return part;
}

// One folder for every run of the user, whatever its environment says: a run started with
// XDG_RUNTIME_DIR or TMPDIR unset, or set elsewhere, still meets the lock of a run started
// with them set.
QString lockFolder() {
    return QStringLiteral("/tmp/stylorex-%1").arg(::getuid());
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A folder of the temporary folder is made by whoever comes first: it must be the user's own,
// and no one else's to write into.
bool ownPrivateFolder(const QString& folder, QString* error) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *error = systemError(errno);
        return false;
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) {
        *error = systemError(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0022) != 0) {
        *error = systemError(EPERM);
        return false;
    }
    return true;
}

}  // namespace

QString X11DisplayLockName(const QString& displayString) {
    QString text = displayString;
    // A socket's path ("/tmp/.X11-unix/X120") names the local display of its number.
    if (text.startsWith(QLatin1Char('/'))) {
        const qsizetype x = text.lastIndexOf(QLatin1Char('X'));
        return QStringLiteral("x11-:") + text.mid(x + 1);
    }
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return QStringLiteral("x11-") + text;
    }
    QString host = text.left(colon);
    QString number = text.mid(colon + 1);
    if (const qsizetype dot = number.indexOf(QLatin1Char('.')); dot >= 0) {
        number.truncate(dot);  // the screen: one display has one pointer
    }
    // "tcp/host", "unix/host": the transport does not change the display.
    if (const qsizetype slash = host.indexOf(QLatin1Char('/')); slash >= 0) {
        host = host.mid(slash + 1);
    }
    if (host.endsWith(QLatin1Char(':'))) {
        host.chop(1);  // DECnet's "node::0"
    }
    char own[256] = {};
    ::gethostname(own, sizeof own - 1);
    const bool local = host.isEmpty() || host == QStringLiteral("unix") ||
                       host == QStringLiteral("localhost") || host == QStringLiteral("127.0.0.1") ||
                       host == QStringLiteral("::1") ||
                       host.compare(QString::fromLocal8Bit(own), Qt::CaseInsensitive) == 0;
    return QStringLiteral("x11-%1:%2").arg(local ? QString() : host.toLower(), number);
}

QString RunLockPath(const QString& display) {
    return JoinPath(lockFolder(),
                    QStringLiteral("stylorex-run-%1.lock").arg(fileNamePart(display)));
}

RunLock::RunLock(const QString& display) {
    if (display.isEmpty()) {
        return;
    }
    const QString path = RunLockPath(display);
    QString why;
    const QString folder = QFileInfo(path).absolutePath();
    if (!ownPrivateFolder(folder, &why)) {
        state_ = State::Unavailable;
        error_ = QStringLiteral("%1: %2").arg(folder, why);
        return;
    }
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                 0600);
    if (fd_ < 0) {
        state_ = State::Unavailable;
        error_ = QStringLiteral("%1: %2").arg(path, systemError(errno));
        return;
    }
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        if (error == EWOULDBLOCK) {
            state_ = State::HeldByOther;
        } else {
            state_ = State::Unavailable;
            error_ = QStringLiteral("%1: %2").arg(path, systemError(error));
        }
    }
}

RunLock::~RunLock() {
    if (fd_ >= 0) {
        // Closing the only descriptor of the open file drops the lock.
        ::close(fd_);
    }
}

RunLock::RunLock(RunLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), state_(other.state_), error_(std::move(other.error_)) {}

RunLock& RunLock::operator=(RunLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        state_ = other.state_;
        error_ = std::move(other.error_);
    }
    return *this;
}

}  // namespace stylorex
