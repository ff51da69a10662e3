#include "os/regular_file.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stylorex {

QString NoRegularFileReason(bool folder) {
    return folder ? QString::fromLocal8Bit(std::strerror(EISDIR))
                  : QCoreApplication::translate("RegularFile", "通常のファイルではありません");
}

FileRead ReadRegularFile(const QString& path, QByteArray& bytes, qint64 maxBytes, QString* why) {
    bytes.clear();
    QString ignored;
    QString& reason = why != nullptr ? *why : ignored;
    const auto systemReason = [&reason](int error) {
        reason = QString::fromLocal8Bit(std::strerror(error));
    };
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        return FileRead::Missing;
    }
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        systemReason(error);
        return (error == ENOENT || error == ENOTDIR) ? FileRead::Missing : FileRead::Refused;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        systemReason(errno);
        ::close(fd);
        return FileRead::Refused;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = NoRegularFileReason(S_ISDIR(status.st_mode));
        ::close(fd);
        return FileRead::Refused;
    }
    const QString tooLarge =
        QCoreApplication::translate("RegularFile", "大きすぎます（%1 バイトまで）").arg(maxBytes);
    if (status.st_size > maxBytes) {
        reason = tooLarge;
        ::close(fd);
        return FileRead::Refused;
    }
    bytes.reserve(static_cast<qsizetype>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            systemReason(errno);
            ::close(fd);
            bytes.clear();
            return FileRead::Refused;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
        // The file may grow while it is read.
        if (bytes.size() > maxBytes) {
            reason = tooLarge;
            ::close(fd);
            bytes.clear();
            return FileRead::Refused;
        }
    }
    ::close(fd);
    return FileRead::Read;
}

}  // namespace stylorex
