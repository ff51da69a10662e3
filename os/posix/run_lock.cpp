#include "os/run_lock.h"

#include "os/program_folder.h"

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
// other character becomes '_'.
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
    return part;
}

QString lockFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) {
        return runtime;
    }
    return JoinPath(QDir::tempPath(), QStringLiteral("stylorex-%1").arg(::getuid()));
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
    if (folder != qEnvironmentVariable("XDG_RUNTIME_DIR") && !ownPrivateFolder(folder, &why)) {
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
