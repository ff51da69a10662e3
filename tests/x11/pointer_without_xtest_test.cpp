// An X server without the XTest extension: opening the pointer names what is missing. The
// test starts its own Xvfb with XTest switched off.
#include "os/session_choice.h"

#include <QByteArray>
#include <QFile>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace stylorex {
namespace {

class ServerWithoutXTest {
  public:
    ServerWithoutXTest() {
        for (int n = 150; n < 200 && pid_ <= 0; ++n) {
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
            const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(n);
            if (QFile::exists(socket) || QFile::exists(lock)) {
                continue;
            }
            display_ = ":" + std::to_string(n);
            pid_ = fork();
            if (pid_ == 0) {
                execlp("Xvfb", "Xvfb", display_.c_str(), "-noreset", "-nolisten", "tcp",
                       "-extension", "XTEST", static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int i = 0; i < 100 && !QFile::exists(socket); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            ready_ = QFile::exists(socket);
        }
    }
    ~ServerWithoutXTest() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    ServerWithoutXTest(const ServerWithoutXTest&) = delete;
    ServerWithoutXTest& operator=(const ServerWithoutXTest&) = delete;

    bool ready() const { return ready_; }
    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string display_;
};

TEST(PointerWithoutXTest, OpeningSaysThatXTestIsMissing) {
    ServerWithoutXTest server;
    ASSERT_TRUE(server.ready()) << "could not start Xvfb";
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", server.display().c_str());
    QString error;
    auto pointer = OpenSystemSession(&error).pointer;
    qputenv("DISPLAY", saved);
    EXPECT_EQ(pointer, nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("XTest"))) << error.toStdString();
}

}  // namespace
}  // namespace stylorex
