#include "os/atomic_file.h"

#include "os/regular_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stylorex {

namespace {

namespace fs = std::filesystem;

// As the system resolves a path: links to links are followed this far.
constexpr int kMaxLinksFollowed = 40;

// The file a replace of `fileName` writes: with links followed, the one a symbolic link (or a
// chain of them) points at, also where that file does not exist yet; otherwise the name
// itself. Nothing for a chain too long (a loop) or a link that cannot be read.
std::optional<fs::path> replacedFile(const QString& fileName, SymbolicLinks links) {
    fs::path target(QFile::encodeName(fileName).toStdString());
    if (links == SymbolicLinks::Replace) {
        return target;
    }
    for (int followed = 0;; ++followed) {
        std::error_code error;
        if (!fs::is_symlink(target, error)) {
            return target;
        }
        const fs::path pointsAt = fs::read_symlink(target, error);
        if (error || followed == kMaxLinksFollowed) {
            return std::nullopt;
        }
        target = (pointsAt.is_absolute() ? pointsAt : target.parent_path() / pointsAt)
                     .lexically_normal();
    }
}

// A temporary file is named "." + the target's name + "." + six of these characters.
constexpr std::string_view kTemporaryCharacters = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTemporarySuffixLength = 6;

std::string temporaryPrefix(const fs::path& target) {
    return "." + target.filename().string() + ".";
}

bool isTemporaryOf(const std::string& name, const std::string& prefix) {
    return name.size() == prefix.size() + kTemporarySuffixLength && name.starts_with(prefix) &&
           name.find_first_not_of(kTemporaryCharacters, prefix.size()) == std::string::npos;
}

// Makes a new file beside `target`, hidden and named after it, with the permission bits that
// the umask allows of rw-rw-rw-. Returns its descriptor and fills `path`, or -1.
int createTemporaryBeside(const fs::path& target, const fs::path& folder, fs::path& path) {
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string name = temporaryPrefix(target);
        for (std::size_t i = 0; i < kTemporarySuffixLength; ++i) {
            name += kTemporaryCharacters[std::size_t(
                QRandomGenerator::global()->bounded(int(kTemporaryCharacters.size())))];
        }
        path = folder / name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool AtomicFileWriter::replace(const QString& path, QByteArrayView bytes, SymbolicLinks links,
                               QString* why) const {
    const auto refuse = [why](const QString& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return false;
    };
    // The reason the step that failed left in errno; a step that left none failed all the same.
    const auto systemReason = [](int error) {
        return error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                          : QCoreApplication::translate("AtomicFile", "書き込めませんでした");
    };
    const std::optional<fs::path> target = replacedFile(path, links);
    if (!target) {
        return refuse(systemReason(ELOOP));
    }
    fs::path folder = target->parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    std::optional<mode_t> keptMode;
    struct stat status {};
    const bool exists = ::lstat(target->c_str(), &status) == 0;
    // Only a regular file is replaced: a named pipe, a device or a folder under the name stays
    // as it is. A link still there is one to be replaced by the new file.
    if (exists && !S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode)) {
        return refuse(NoRegularFileReason(S_ISDIR(status.st_mode)));
    }
    if (exists && !S_ISLNK(status.st_mode)) {
        // A file its owner made read-only is left alone, as the system's own tools would.
        if (::access(target->c_str(), W_OK) != 0) {
            return refuse(systemReason(errno));
        }
        keptMode = status.st_mode & 07777;
    }

    fs::path temporary;
    int fd = createTemporaryBeside(*target, folder, temporary);
    if (fd < 0) {
        return refuse(systemReason(errno));
    }
    const auto fail = [&] {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(temporary.c_str());
        return refuse(systemReason(error));
    };
    if (keptMode && ::fchmod(fd, *keptMode) != 0) {
        return fail();
    }
    {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                       QFileDevice::DontCloseHandle)) {
            return fail();
        }
        errno = 0;
        if (!write(file, bytes)) {
            return fail();
        }
    }
    if (::fsync(fd) != 0) {
        return fail();
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) {
        return fail();
    }
    errno = 0;
    if (!rename(temporary, *target)) {
        return fail();
    }
    // Make the rename itself durable; a folder that cannot be synced still holds the new file.
    syncFolder(folder);
    return true;
}

bool AtomicFileWriter::write(QIODevice& file, QByteArrayView bytes) const {
    return file.write(bytes.data(), bytes.size()) == bytes.size();
}

bool AtomicFileWriter::rename(const fs::path& from, const fs::path& to) const {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveStaleTemporaryFiles(const QStringList& paths, SymbolicLinks links,
                               std::chrono::seconds age) {
    std::map<fs::path, std::vector<std::string>> prefixesByFolder;
    for (const QString& path : paths) {
        if (const std::optional<fs::path> target = replacedFile(path, links)) {
            const fs::path folder = target->parent_path();
            prefixesByFolder[folder.empty() ? fs::path(".") : folder].push_back(
                temporaryPrefix(*target));
        }
    }
    const std::time_t before = std::time(nullptr) - age.count();
    for (const auto& [folder, prefixes] : prefixesByFolder) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            struct stat status {};
            if (std::any_of(
                    prefixes.begin(), prefixes.end(),
                    [&](const std::string& prefix) { return isTemporaryOf(name, prefix); }) &&
                ::lstat(entry.path().c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
                status.st_mtime < before) {
                ::unlink(entry.path().c_str());
            }
        }
    }
}

const AtomicFileWriter& SystemFileWriter() {
    static const AtomicFileWriter writer;
    return writer;
}

}  // namespace stylorex
