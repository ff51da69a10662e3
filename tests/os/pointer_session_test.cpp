// Where the pointer cannot be driven, opening it says why instead of failing silently. None
// of these cases needs an X server.
#include "os/session_choice.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace stylorex {
namespace {

// Sets the session's environment for one test and puts it back afterwards.
class SessionEnvironment : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
            saved_[name] = qEnvironmentVariableIsSet(name)
                               ? std::optional<QByteArray>(qgetenv(name))
                               : std::nullopt;
            qunsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                qputenv(name.c_str(), *value);
            } else {
                qunsetenv(name.c_str());
            }
        }
    }

    static QString openError() {
        QString error;
        const SystemSession session = OpenSystemSession(&error);
        EXPECT_EQ(session.pointer, nullptr);
        EXPECT_EQ(session.screen, nullptr);
        EXPECT_FALSE(error.isEmpty());
        return error;
    }

  private:
    std::map<std::string, std::optional<QByteArray>> saved_;
};

TEST_F(SessionEnvironment, WaylandDisplayIsRefusedWithAPlainReason) {
    qputenv("DISPLAY", ":0");
    qputenv("WAYLAND_DISPLAY", "stylorex-no-such-compositor");
    const QString error = openError();
    EXPECT_TRUE(error.contains(QStringLiteral("Wayland"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("X11"))) << error.toStdString();
}

TEST_F(SessionEnvironment, WaylandSessionTypeIsRefusedToo) {
    qputenv("DISPLAY", ":0");
    qputenv("XDG_SESSION_TYPE", "wayland");
    EXPECT_TRUE(openError().contains(QStringLiteral("Wayland")));
}

TEST_F(SessionEnvironment, MissingDisplayIsNamed) {
    qputenv("XDG_SESSION_TYPE", "x11");
    const QString error = openError();
    EXPECT_TRUE(error.contains(QStringLiteral("DISPLAY"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("X11"))) << error.toStdString();
}

TEST_F(SessionEnvironment, UnreachableDisplayIsNamed) {
    qputenv("DISPLAY", ":4999");
    const QString error = openError();
    EXPECT_TRUE(error.contains(QStringLiteral(":4999"))) << error.toStdString();
}

}  // namespace
}  // namespace stylorex
