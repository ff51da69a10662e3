#include "os/standard_error_capture.h"

#include <QByteArray>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace stylorex {

StandardErrorCapture::StandardErrorCapture() {
    std::FILE* unnamed = std::tmpfile();
    if (unnamed == nullptr) {
        return;
    }
    const int file = ::fcntl(::fileno(unnamed), F_DUPFD_CLOEXEC, 0);
    std::fclose(unnamed);
    if (file < 0) {
        return;
    }
    std::fflush(stderr);
    savedDescriptor_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (savedDescriptor_ < 0 || ::dup2(file, STDERR_FILENO) < 0) {
        if (savedDescriptor_ >= 0) {
            ::close(savedDescriptor_);
            savedDescriptor_ = -1;
        }
        ::close(file);
        return;
    }
    captureDescriptor_ = file;
}

StandardErrorCapture::~StandardErrorCapture() {
    if (captureDescriptor_ < 0) {
        return;
    }
    std::fflush(stderr);
    ::dup2(savedDescriptor_, STDERR_FILENO);
    ::close(savedDescriptor_);
    ::close(captureDescriptor_);
}

QString StandardErrorCapture::text() const {
    if (captureDescriptor_ < 0) {
        return {};
    }
    std::fflush(stderr);
    // A damaged file makes a few lines; more than this says nothing more to the user.
    constexpr qsizetype kLargestText = 4096;
    QByteArray bytes(kLargestText, '\0');
    const ssize_t read = ::pread(captureDescriptor_, bytes.data(), bytes.size(), 0);
    bytes.truncate(read > 0 ? read : 0);
    return QString::fromLocal8Bit(bytes);
}

}  // namespace stylorex
