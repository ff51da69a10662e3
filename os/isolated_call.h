#pragma once

#include <QByteArray>

#include <functional>
#include <optional>

namespace stylorex {

struct IsolationLimits {
    // Wall-clock time the caller waits for the answer before the work is killed.
    int timeoutMs = 10000;
    // CPU seconds the work may use.
    int cpuSeconds = 10;
    // Address space of the work; 0 leaves it unlimited (sanitizer builds need that).
    long long addressSpaceBytes = 1024LL * 1024 * 1024;
    // Largest answer accepted; a longer one is refused.
    qsizetype maxAnswerBytes = 64 * 1024 * 1024;
};

// Runs `work` in a child process and returns its answer, so that a library that crashes,
// hangs or runs out of memory on hostile input cannot take this process down with it.
// Nothing comes back when the work crashes, exceeds a limit, or returns an empty answer.
// `work` runs in a copy of this process made by fork(): it must not touch widgets, the window
// system or other threads' state; plain C libraries, memory, and Qt's images, painter and SVG
// renderer are fine.
std::optional<QByteArray> RunIsolated(const std::function<QByteArray()>& work,
                                      const IsolationLimits& limits = {});

}  // namespace stylorex
