#pragma once

#include "os/atomic_file.h"

#include <QIODevice>

namespace stylorex {

// The system's file writer with one step failing: part of the bytes written, then a failure
// (a full disk), or a complete temporary file that is never renamed (a crash at the worst
// moment).
class FaultyFileWriter : public AtomicFileWriter {
  public:
    enum class Fault { FailWhileWriting, StopBeforeRename };
    explicit FaultyFileWriter(Fault fault) : fault_(fault) {}

  protected:
    bool write(QIODevice& file, QByteArrayView bytes) const override {
        if (fault_ == Fault::FailWhileWriting) {
            AtomicFileWriter::write(file, bytes.first(bytes.size() / 2));
            return false;
        }
        return AtomicFileWriter::write(file, bytes);
    }
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        return fault_ != Fault::StopBeforeRename && AtomicFileWriter::rename(from, to);
    }

  private:
    Fault fault_;
};

}  // namespace stylorex
