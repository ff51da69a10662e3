#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <chrono>
#include <filesystem>

class QIODevice;

namespace stylorex {

// What a replace does when the path names a symbolic link.
enum class SymbolicLinks {
    // The link itself gives way to the new file; the file it pointed at stays untouched. For the
    // files the program names and owns (the stored patterns): a link under such a name must not
    // send the program's bytes into some other file.
    Replace,
    // The file the link points at is replaced (made, when it does not exist yet) and the link
    // stays. For the settings file, which users keep as a link into a folder of their own (a
    // dotfiles repository, a synced folder), and for the files a user names on the command line.
    Follow,
};

// Replaces files whole or not at all. Every file the program writes goes through one.
class AtomicFileWriter {
  public:
    virtual ~AtomicFileWriter() = default;

    // Makes the file at `path` hold `bytes`: they are written to a temporary file in the same
    // folder, flushed to disk and renamed over `path`, so a crash or a full disk leaves `path`
    // with its old bytes or its new ones, never a part. A replaced file keeps its permission
    // bits, a new one (and one that takes a link's place) gets those the user's umask allows of
    // rw-rw-rw-. An existing file that may not be written is left alone, and so is anything that
    // is no regular file (a named pipe, a device, a folder). False when the file could not be
    // replaced: the old file is then untouched and no temporary file remains, and `why`, when
    // given, says why (the system's reason, strerror).
    bool replace(const QString& path, QByteArrayView bytes, SymbolicLinks links,
                 QString* why = nullptr) const;

  protected:
    // The two steps where the system can fail a replace. The program's writer carries them out;
    // a test's writer fails one, as a full disk or a crash before the rename would.
    // Writes all of `bytes` to the open temporary file; errno says why it did not.
    virtual bool write(QIODevice& file, QByteArrayView bytes) const;
    // Renames the complete temporary file over the target in one step.
    virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to) const;
};

// The writer the program's own files are written with.
const AtomicFileWriter& SystemFileWriter();

// Removes the temporary files that replaces of `paths` (with `links` as they were written) left
// behind when their process was killed before the rename, as far as they are older than
// `age`: a younger one may belong to a replace still going on in another process. Files of
// other names are never touched. Each folder is listed once.
void RemoveStaleTemporaryFiles(const QStringList& paths, SymbolicLinks links,
                               std::chrono::seconds age = std::chrono::minutes(1));

}  // namespace stylorex
