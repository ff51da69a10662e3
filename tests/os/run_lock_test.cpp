#include "os/run_lock.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

namespace stylorex {
namespace {

// The locks of each test lie in a runtime folder of its own.
class RunLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        saved_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved_); }

  private:
    QTemporaryDir dir_;
    QByteArray saved_;
};

TEST_F(RunLockTest, ASecondRunOnTheSameDisplayIsRefusedUntilTheFirstEnds) {
    {
        const RunLock first(QStringLiteral("x11-:9"));
        EXPECT_EQ(first.state(), RunLock::State::Held);
        EXPECT_EQ(RunLock(QStringLiteral("x11-:9")).state(), RunLock::State::HeldByOther);
        EXPECT_EQ(RunLock(QStringLiteral("x11-:8")).state(), RunLock::State::Held);
        RunLock moved(QStringLiteral("wayland-1"));
        const RunLock holder(std::move(moved));
        EXPECT_EQ(RunLock(QStringLiteral("wayland-1")).state(), RunLock::State::HeldByOther);
    }
    EXPECT_EQ(RunLock(QStringLiteral("x11-:9")).state(), RunLock::State::Held);
    EXPECT_EQ(RunLock(QStringLiteral("wayland-1")).state(), RunLock::State::Held);
}

TEST_F(RunLockTest, ALockDiesWithTheProcessThatHeldIt) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const RunLock lock(QStringLiteral("x11-:9"));
        const char held = lock.state() == RunLock::State::Held ? 'H' : 'N';
        if (::write(ready[1], &held, 1) != 1) {
            ::_exit(1);
        }
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(held, 'H');
    EXPECT_EQ(RunLock(QStringLiteral("x11-:9")).state(), RunLock::State::HeldByOther);

    // Killed, it has no chance to let go: the system does.
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(RunLock(QStringLiteral("x11-:9")).state(), RunLock::State::Held);
}

}  // namespace
}  // namespace stylorex
