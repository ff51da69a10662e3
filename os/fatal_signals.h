#pragma once

#include <cstddef>

namespace stylorex {

// Bytes written to a descriptor when the program receives a fatal signal (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT), before the action that was in place takes its course: the last
// thing a crashing program can still do safely is a write() of bytes prepared in advance. Only
// armed writes are made; arm() may be called from any thread and costs no system call. The
// handlers are installed with the first instance and stay.
class FatalSignalWrite {
  public:
    static constexpr std::size_t kMaxBytes = 64;

    // `size` is at most kMaxBytes. registered() is false when every slot is taken.
    FatalSignalWrite(int fd, const void* bytes, std::size_t size);
    ~FatalSignalWrite();
    FatalSignalWrite(const FatalSignalWrite&) = delete;
    FatalSignalWrite& operator=(const FatalSignalWrite&) = delete;

    bool registered() const { return slot_ >= 0; }
    void arm(bool armed);

  private:
    int slot_ = -1;
};

}  // namespace stylorex
