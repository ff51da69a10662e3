#pragma once

// The real program, started as a user starts it, on a real X server: from a copy of the
// executable in a folder of its own (the settings file lies beside it), with a recording target
// window to draw into. STYLOREX_PROGRAM names the executable.
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include <X11/keysym.h>

namespace stylorex::testing {

class ProgramX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(target.mapped());
        // The settings file lies beside the executable, so the program runs from a copy.
        program = dir.filePath(QStringLiteral("stylorex"));
        ASSERT_NO_FATAL_FAILURE(CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
        session.moveTo(5, 5);
        target.discard();
    }

    void TearDown() override {
        StopProgram(process);
        session.restore();
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("stylorex.ini")); }

    void writeIni(const QByteArray& text) {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray readIni() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts the program and gives its window the keyboard, as a user's click on it would
    // (there is no window manager on the test server).
    void start() {
        ASSERT_NO_FATAL_FAILURE(StartOnX11(process, program));
        for (int i = 0; i < 100 && !programWindow; ++i) {
            Pause(100);
            programWindow = FindProgramWindow(session.display(), process.processId());
        }
        ASSERT_TRUE(programWindow.has_value()) << "the main window did not appear";
        Pause(300);
        GiveKeyboard(session.display(), *programWindow);
        Pause(300);
    }

    QString title() { return WindowTitle(session.display(), *programWindow); }

    // Polls the program's title. The target's events are read only once the program has gone
    // quiet: reading them waits for a pause in the stream, which a run never makes.
    bool waitForTitle(const std::function<bool(const QString&)>& done, int ms) {
        return Eventually([&] { return done(title()); }, ms, 20);
    }

    // Ctrl+G over the target, then Tab and Enter until the run begins, as the instructions
    // on the window tell a user to do.
    void captureOriginAndStart() {
        session.moveTo(kOriginX, kOriginY);
        Pause(100);
        TypeKey(session.display(), XK_g, true);
        ASSERT_TRUE(waitForTitle(
            [](const QString& t) { return t.contains(QStringLiteral("[座標取得]")); }, 5000))
            << title().toStdString();
        ASSERT_TRUE(TabAndEnterUntilRunStarts(session.display(), [&] { return title(); }))
            << "Tab and Enter never started a run";
    }

    std::vector<ReceivedEvent> received() { return target.collect(); }

    QTemporaryDir dir;
    QString program;
    X11Session session;
    TargetWindow target{kTargetX, kTargetY, 300, 300};
    QProcess process;
    std::optional<unsigned long> programWindow;
};

}  // namespace stylorex::testing
