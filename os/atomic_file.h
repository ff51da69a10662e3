#pragma once

#include <QByteArrayView>
#include <QString>

#include <filesystem>

class QIODevice;

namespace stylorex {

// Replaces files whole or not at all. Every file the program writes goes through one.
class AtomicFileWriter {
  public:
    virtual ~AtomicFileWriter() = default;

    // Makes the file at `path` hold `bytes`: they are written to a temporary file in the same
    // folder, flushed to disk and renamed over `path`, so a crash or a full disk leaves `path`
    // with its old bytes or its new ones, never a part. A symbolic link is followed (the file
    // it points at is replaced, the link stays); a replaced file keeps its permission bits, a
    // new one gets those the user's umask allows of rw-rw-rw-. An existing file that may not be
    // written is left alone. False when the file could not be replaced: the old file is then
    // untouched and no temporary file remains.
    bool replace(const QString& path, QByteArrayView bytes) const;

  protected:
    // The two steps where the system can fail a replace. The program's writer carries them out;
    // a test's writer fails one, as a full disk or a crash before the rename would.
    // Writes all of `bytes` to the open temporary file.
    virtual bool write(QIODevice& file, QByteArrayView bytes) const;
    // Renames the complete temporary file over the target in one step.
    virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to) const;
};

// The writer the program's own files are written with.
const AtomicFileWriter& SystemFileWriter();

}  // namespace stylorex
