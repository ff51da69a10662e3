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

// Every lock lies in the one folder of the user's, whatever the environment names: the names of
// a test's displays carry its process id, so that tests running at once never meet.
class RunLockTest : public ::testing::Test {
  protected:
    // The same in a child the test forks.
    QString name(const char* display) const {
        return QStringLiteral("%1-test%2").arg(QLatin1String(display)).arg(pid_);
    }

  private:
    const pid_t pid_ = ::getpid();
};

TEST_F(RunLockTest, ASecondRunOnTheSameDisplayIsRefusedUntilTheFirstEnds) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    {
        const RunLock first(name("x11-:9"));
        EXPECT_EQ(first.state(), RunLock::State::Held);
        EXPECT_EQ(RunLock(name("x11-:9")).state(), RunLock::State::HeldByOther);
        EXPECT_EQ(RunLock(name("x11-:8")).state(), RunLock::State::Held);
        RunLock moved(name("wayland-1"));
        const RunLock holder(std::move(moved));
        EXPECT_EQ(RunLock(name("wayland-1")).state(), RunLock::State::HeldByOther);

        // A run whose environment names another runtime folder, or none, meets the same lock.
        QTemporaryDir elsewhere;
        qputenv("XDG_RUNTIME_DIR", elsewhere.path().toLocal8Bit());
        EXPECT_EQ(RunLock(name("x11-:9")).state(), RunLock::State::HeldByOther);
        qunsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(RunLock(name("x11-:9")).state(), RunLock::State::HeldByOther);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    EXPECT_EQ(RunLock(name("x11-:9")).state(), RunLock::State::Held);
    EXPECT_EQ(RunLock(name("wayland-1")).state(), RunLock::State::Held);
}

TEST(X11DisplayLockName, EveryWayOfWritingTheLocalDisplayGivesOneName) {
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    for (const QString& written :
         {QStringLiteral(":120"), QStringLiteral("unix:120"), QStringLiteral(":120.0"),
          QStringLiteral("unix:120.1"), QStringLiteral("localhost:120"),
          QStringLiteral("127.0.0.1:120"), QStringLiteral("tcp/localhost:120"),
          QString::fromLocal8Bit(host) + QStringLiteral(":120"),
          QStringLiteral("/tmp/.X11-unix/X120")}) {
        EXPECT_EQ(X11DisplayLockName(written), QStringLiteral("x11-:120")) << written.toStdString();
    }
    EXPECT_EQ(X11DisplayLockName(QStringLiteral(":12")), QStringLiteral("x11-:12"));
    EXPECT_EQ(X11DisplayLockName(QStringLiteral("far.example:0.0")),
              QStringLiteral("x11-far.example:0"));
}

TEST_F(RunLockTest, ALockDiesWithTheProcessThatHeldIt) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const RunLock lock(name("x11-:9"));
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
    EXPECT_EQ(RunLock(name("x11-:9")).state(), RunLock::State::HeldByOther);

    // Killed, it has no chance to let go: the system does.
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(RunLock(name("x11-:9")).state(), RunLock::State::Held);
}

}  // namespace
}  // namespace stylorex
