#include "os/isolated_call.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(IsolatedCall, ReturnsTheAnswerOfTheWork) {
    const std::optional<QByteArray> answer =
        RunIsolated([] { return QByteArray(200000, 'x') + QByteArray("end"); });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->size(), 200003);
    EXPECT_TRUE(answer->endsWith("end"));
}

TEST(IsolatedCall, ACrashOrAnEmptyAnswerGivesNothingAndThisProcessCarriesOn) {
    EXPECT_FALSE(RunIsolated([]() -> QByteArray { std::abort(); }));
    EXPECT_FALSE(RunIsolated([]() -> QByteArray {
        std::raise(SIGKILL);
        return QByteArray("never");
    }));
    EXPECT_FALSE(RunIsolated([] { return QByteArray(); }));
    EXPECT_TRUE(RunIsolated([] { return QByteArray("still working"); }));
}

QByteArray exitMarkerPath;
pid_t testProcess = 0;

// Runs at every exit of this process and of its copies; leaves a mark when a copy runs it.
void markExitOfACopy() {
    if (::getpid() != testProcess) {
        const int fd = ::open(exitMarkerPath.constData(), O_CREAT | O_WRONLY, 0600);
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

TEST(IsolatedCall, ALibraryCallingExitGivesNothingAndRunsNoneOfThisProcesssExitHandlers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    exitMarkerPath = QFile::encodeName(dir.filePath(QStringLiteral("copy-ran-exit-handlers")));
    testProcess = ::getpid();
    std::atexit(markExitOfACopy);
    EXPECT_FALSE(RunIsolated([]() -> QByteArray { std::exit(0); }));
    EXPECT_FALSE(QFile::exists(QFile::decodeName(exitMarkerPath)));
}

TEST(IsolatedCall, WorkThatHangsIsKilledAtTheTimeout) {
    IsolationLimits limits;
    limits.timeoutMs = 300;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunIsolated(
        [] {
            std::this_thread::sleep_for(std::chrono::seconds(30));
            return QByteArray("late");
        },
        limits));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST(IsolatedCall, AnAnswerLongerThanTheLimitIsRefused) {
    IsolationLimits limits;
    limits.maxAnswerBytes = 1000;
    EXPECT_FALSE(RunIsolated([] { return QByteArray(5000, 'y'); }, limits));
    EXPECT_TRUE(RunIsolated([] { return QByteArray(1000, 'y'); }, limits));
}

}  // namespace
}  // namespace stylorex
