// The real program, started as a user starts it, on a real X server: its settings file beside
// the executable, the origin captured with Ctrl+G, the run started with Tab and Enter, and the
// program ended with SIGTERM.
#include "platform/x11_pointer.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <set>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::ReceivedEvent;
using testing::TargetWindow;
using testing::X11Session;
using Kind = ReceivedEvent::Kind;

constexpr int kTargetX = 100;
constexpr int kTargetY = 100;
constexpr int kOriginX = 150;
constexpr int kOriginY = 140;

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void typeKey(Display* display, KeySym key, bool control = false) {
    const unsigned controlCode = XKeysymToKeycode(display, XK_Control_L);
    const unsigned code = XKeysymToKeycode(display, key);
    if (control) {
        XTestFakeKeyEvent(display, controlCode, True, CurrentTime);
    }
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (control) {
        XTestFakeKeyEvent(display, controlCode, False, CurrentTime);
    }
    XSync(display, False);
}

// The UTF-8 title of a top-level window, as a window manager would read it.
QString windowTitle(Display* display, Window window) {
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &items,
                           &after, &data) != Success ||
        data == nullptr) {
        return {};
    }
    const QString title =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(items));
    XFree(data);
    return title;
}

// The program's main window: a mapped top-level window whose title starts with "Stylorex".
std::optional<Window> findProgramWindow(Display* display) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return std::nullopt;
    }
    std::optional<Window> found;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable &&
            windowTitle(display, children[i]).startsWith(QStringLiteral("Stylorex"))) {
            found = children[i];
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

class ProgramX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(target.mapped());
        // The settings file lies beside the executable, so the program runs from a copy.
        program = dir.filePath(QStringLiteral("stylorex"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(STYLOREX_PROGRAM), program));
        ASSERT_TRUE(
            QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
        session.moveTo(5, 5);
        target.discard();
    }

    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
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
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, {});
        ASSERT_TRUE(process.waitForStarted(5000));
        for (int i = 0; i < 100 && !programWindow; ++i) {
            pause(100);
            programWindow = findProgramWindow(session.display());
        }
        ASSERT_TRUE(programWindow.has_value()) << "the main window did not appear";
        pause(300);
        XSetInputFocus(session.display(), *programWindow, RevertToPointerRoot, CurrentTime);
        XSync(session.display(), False);
        pause(300);
    }

    QString title() { return windowTitle(session.display(), *programWindow); }

    // Polls the program's title. The target's events are read only once the program has gone
    // quiet: reading them waits for a pause in the stream, which a run never makes.
    template <typename Done>
    bool waitForTitle(Done done, int ms) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < deadline) {
            if (done(title())) {
                return true;
            }
            pause(20);
        }
        return false;
    }

    static bool running(const QString& title) {
        return title.contains(QStringLiteral("[描画開始")) ||
               title.contains(QStringLiteral("[処理完了]"));
    }

    // Ctrl+G over the target, then Tab and Enter until the run begins, as the instructions
    // on the window tell a user to do.
    void captureOriginAndStart() {
        session.moveTo(kOriginX, kOriginY);
        pause(100);
        typeKey(session.display(), XK_g, true);
        ASSERT_TRUE(waitForTitle(
            [](const QString& t) { return t.contains(QStringLiteral("[座標取得]")); }, 5000))
            << title().toStdString();
        bool started = false;
        for (int tabs = 0; tabs < 40 && !started; ++tabs) {
            typeKey(session.display(), XK_Tab);
            typeKey(session.display(), XK_Return);
            started = waitForTitle(running, 300);
        }
        ASSERT_TRUE(started) << "Tab and Enter never started a run";
    }

    std::vector<ReceivedEvent> received() { return target.collect(); }

    QTemporaryDir dir;
    QString program;
    X11Session session;
    TargetWindow target{kTargetX, kTargetY, 300, 300};
    QProcess process;
    std::optional<Window> programWindow;
};

TEST_F(ProgramX11, SigtermDuringARunLeavesTheButtonUpAndWritesTheSettings) {
    // Every pixel of the blank canvas is a line pixel: a long run.
    writeIni("[PickUpPattern]\r\nPattern=2\r\nWhiteUpper=256\r\n[Other]\r\nWaitTime=3\r\n");
    start();
    captureOriginAndStart();
    EXPECT_EQ(title(), QStringLiteral("Stylorex [描画開始-wait 3ms] Escキーで中断"));
    pause(300);
    ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before the signal";

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(session.leftButtonDown());

    const auto events = received();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, Kind::Release) << testing::Describe(events);
    // Far fewer than the canvas's 40,000 pixels were drawn.
    EXPECT_LT(events.size(), 20000u);

    const QByteArray ini = readIni();
    EXPECT_TRUE(ini.contains("Pattern=2")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("WhiteUpper=256")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("WaitTime=3")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("CanvasWidth=200")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("LastText=")) << ini.toStdString();
}

TEST_F(ProgramX11, SettingsFromAPreviousStartAreHonoured) {
    // A 4 × 3 canvas in the non-white mode with no wait: exactly its twelve pixels are drawn.
    writeIni(
        "[PickUpPattern]\r\nPattern=2\r\nWhiteUpper=256\r\n[Other]\r\nWaitTime=0\r\n"
        "CanvasHeight=3\r\nCanvasWidth=4\r\n");
    start();
    captureOriginAndStart();
    ASSERT_TRUE(waitForTitle(
        [](const QString& t) { return t.contains(QStringLiteral("[処理完了]")); }, 10000))
        << title().toStdString();
    const auto events = received();

    std::set<std::pair<int, int>> drawn;
    bool buttonDown = false;
    for (const ReceivedEvent& e : events) {
        if (e.kind == Kind::Press) {
            buttonDown = true;
        } else if (e.kind == Kind::Release) {
            buttonDown = false;
        }
        if (buttonDown || e.kind != Kind::Motion) {
            drawn.insert({e.x - kOriginX, e.y - kOriginY});
        }
    }
    std::set<std::pair<int, int>> canvas;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            canvas.insert({x, y});
        }
    }
    EXPECT_EQ(drawn, canvas) << testing::Describe(events);
    EXPECT_FALSE(session.leftButtonDown());

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray ini = readIni();
    EXPECT_TRUE(ini.contains("CanvasHeight=3")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("CanvasWidth=4")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("WaitTime=0")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("Pattern=2")) << ini.toStdString();
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
