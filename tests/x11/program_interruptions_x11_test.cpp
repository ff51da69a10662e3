// The real program stopped, cut off from its guardian or from the X server in the middle of a
// run never leaves the button down; a picture that takes long to decode leaves the window
// answering; output files go only where they may.
#include "tests/x11/program_fixture.h"
#include "tests/x11/program_processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stylorex {
namespace {

using testing::Eventually;
using testing::GuardianOf;
using testing::kOriginX;
using testing::kOriginY;
using testing::Pause;
using testing::ProcessStopped;
using testing::ProgramX11;

// The X clients of process `pid`, by the resource base XKillClient takes.
std::vector<XID> ClientsOf(Display* display, pid_t pid) {
    XResClientIdSpec all{0, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    std::vector<XID> clients;
    if (XResQueryClientIds(display, 1, &all, &count, &ids) != Success) {
        return clients;
    }
    for (long i = 0; i < count; ++i) {
        if (XResGetClientPid(&ids[i]) == pid) {
            // The value's identity: the client's resource base and what the value says of it.
            [[maybe_unused]] const auto& [identity, length, value] = ids[i];
            clients.push_back(identity.client);
        }
    }
    XResClientIdsDestroy(count, ids);
    std::sort(clients.begin(), clients.end());
    return clients;
}

// An SVG whose drawing takes minutes: large semi-transparent rectangles, one over the other.
QByteArray SlowSvg() {
    QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='3000' height='3000'>\n";
    for (int i = 0; i < 20000; ++i) {
        svg += "<rect x='" + QByteArray::number(i % 7) +
               "' y='0' width='2990' height='2990' fill='#204080' fill-opacity='0.3'/>\n";
    }
    return svg + "</svg>\n";
}

class ProgramInterruptionsX11 : public ProgramX11 {
  protected:
    pid_t pid() const { return static_cast<pid_t>(process.processId()); }

    // `stylorex draw` with these arguments; stdout and stderr kept apart. It runs in a process
    // group of its own under the test, as a shell's job does: the test may run in a session
    // of its own, and a group with no parent outside it there is never stopped by SIGTSTP.
    void startDraw(const QStringList& arguments) {
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(program, QStringList{QStringLiteral("draw")} + arguments);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    // A run of 40,000 pixels (every pixel of a white picture, nothing counted as white), begun:
    // the button is down.
    void startLongRun() {
        QImage white(200, 200, QImage::Format_RGB32);
        white.fill(Qt::white);
        const QString file = dir.filePath(QStringLiteral("white.png"));
        ASSERT_TRUE(white.save(file));
        target.discard();
        ASSERT_NO_FATAL_FAILURE(startDraw(
            {file, QStringLiteral("--at"), QStringLiteral("%1,%2").arg(kOriginX).arg(kOriginY),
             QStringLiteral("--mode"), QStringLiteral("nonwhite"), QStringLiteral("--white"),
             QStringLiteral("256"), QStringLiteral("--wait"), QStringLiteral("3"),
             QStringLiteral("--no-follow")}));
        ASSERT_TRUE(Eventually([&] { return session.leftButtonDown(); }, 15000, 1))
            << "the run never pressed the button";
    }

    // The command ended by itself within `ms` with `code`, the button up.
    void expectEnded(int code, int ms) {
        ASSERT_TRUE(process.waitForFinished(ms)) << "the run went on";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), code);
        EXPECT_FALSE(session.leftButtonDown());
    }

    QString standardError() { return QString::fromLocal8Bit(process.readAllStandardError()); }

    // The plan of a picture file that holds a slow SVG, started.
    void startSlowPlan() {
        const QString svg = dir.filePath(QStringLiteral("slow.png"));
        QFile file(svg);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SlowSvg());
        file.close();
        ASSERT_NO_FATAL_FAILURE(startDraw(
            {svg, QStringLiteral("--at"), QStringLiteral("10,10"), QStringLiteral("--plan")}));
    }
};

TEST_F(ProgramInterruptionsX11,
       CtrlZReleasesTheButtonBeforeTheStopAndTheContinuedRunEndsNamingTheStop) {
    ASSERT_NO_FATAL_FAILURE(startLongRun());
    ASSERT_EQ(::kill(pid(), SIGTSTP), 0);
    EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 100, 1))
        << "the button is still down 100 ms after SIGTSTP";
    EXPECT_TRUE(Eventually([&] { return ProcessStopped(pid()); }, 3000, 5))
        << "the program did not stop";
    Pause(300);
    EXPECT_FALSE(session.leftButtonDown());
    ASSERT_EQ(::kill(pid(), SIGCONT), 0);
    expectEnded(3, 10000);
    EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardOutput())
                    .contains(QStringLiteral("中断しました（一時停止）")));
}

TEST_F(ProgramInterruptionsX11, SigstopHasTheGuardianReleaseAndTheContinuedRunEndsNamingTheStop) {
    ASSERT_NO_FATAL_FAILURE(startLongRun());
    ASSERT_EQ(::kill(pid(), SIGSTOP), 0);
    EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 200, 1))
        << "the button is still down 200 ms after SIGSTOP";
    ASSERT_EQ(::kill(pid(), SIGCONT), 0);
    expectEnded(3, 10000);
    EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardOutput())
                    .contains(QStringLiteral("中断しました（一時停止）")));
}

TEST_F(ProgramInterruptionsX11, AKilledGuardianEndsTheRunAtOnceWithTheButtonUpAndSaysWhy) {
    ASSERT_NO_FATAL_FAILURE(startLongRun());
    const std::optional<pid_t> guardian = GuardianOf(pid());
    ASSERT_TRUE(guardian);
    ASSERT_EQ(::kill(*guardian, SIGKILL), 0);
    EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 500, 1))
        << "the run went on with the button down";
    expectEnded(1, 5000);
    EXPECT_TRUE(standardError().contains(QStringLiteral("ボタンの見張りが止まりました")));

    // The guardian's own X connection closed by another client, and the program killed at
    // once, before it can end its run: the guardian still releases the button.
    ASSERT_NO_FATAL_FAILURE(startLongRun());
    const std::optional<pid_t> second = GuardianOf(pid());
    ASSERT_TRUE(second);
    const std::vector<XID> guardianClients = ClientsOf(session.display(), *second);
    ASSERT_EQ(guardianClients.size(), 1u);
    XKillClient(session.display(), guardianClients[0]);
    XSync(session.display(), False);
    ASSERT_EQ(::kill(pid(), SIGKILL), 0);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 2000, 5))
        << "the button stayed down";
    EXPECT_TRUE(Eventually([&] { return testing::ProcessGone(*second); }, 2000))
        << "the guardian outlived the program";

    // Killed later, the program has ended its run and said why.
    ASSERT_NO_FATAL_FAILURE(startLongRun());
    const std::optional<pid_t> third = GuardianOf(pid());
    ASSERT_TRUE(third);
    XKillClient(session.display(), ClientsOf(session.display(), *third).at(0));
    XSync(session.display(), False);
    EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 500, 1))
        << "the run went on with the button down";
    expectEnded(1, 5000);
    const QString said = standardError();
    EXPECT_EQ(said.count(QStringLiteral("ボタンの見張りが止まりました")), 1) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("見張りプロセスの X サーバーとの接続が切れました")));
}

// The guardian stopped while the run goes on, for hundreds of presses and releases (more than
// its socket held, a byte each), then the program killed with the button down: continued, the
// guardian reads the button's state as it is, not the last byte that fitted, and releases it.
TEST_F(ProgramInterruptionsX11, AGuardianThatFellBehindStillReleasesTheButtonOfAKilledProgram) {
    QImage dots(240, 240, QImage::Format_RGB32);
    dots.fill(Qt::white);
    for (int y = 0; y < dots.height(); y += 3) {
        for (int x = 0; x < dots.width(); ++x) {
            if (x % 4 < 3) {  // short dashes: many presses, the button down most of the time
                dots.setPixel(x, y, qRgb(0, 0, 0));
            }
        }
    }
    const QString file = dir.filePath(QStringLiteral("dots.png"));
    ASSERT_TRUE(dots.save(file));
    bool killedWithTheButtonDown = false;
    for (int attempt = 0; attempt < 5 && !killedWithTheButtonDown; ++attempt) {
        SCOPED_TRACE(attempt);
        process.close();
        target.discard();
        ASSERT_NO_FATAL_FAILURE(startDraw(
            {file, QStringLiteral("--at"), QStringLiteral("%1,%2").arg(kOriginX).arg(kOriginY),
             QStringLiteral("--wait"), QStringLiteral("1"), QStringLiteral("--no-follow")}));
        ASSERT_TRUE(Eventually([&] { return session.leftButtonDown(); }, 15000, 1))
            << "the run never pressed the button";
        const std::optional<pid_t> guardian = GuardianOf(pid());
        ASSERT_TRUE(guardian);
        ASSERT_EQ(::kill(*guardian, SIGSTOP), 0);
        Pause(1500);
        ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before the kill";
        ASSERT_TRUE(Eventually([&] { return session.leftButtonDown(); }, 2000, 1));
        ASSERT_EQ(::kill(pid(), SIGKILL), 0);
        ASSERT_TRUE(process.waitForFinished(5000));
        killedWithTheButtonDown = session.leftButtonDown();
        ASSERT_EQ(::kill(*guardian, SIGCONT), 0);
        EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 2000, 5))
            << "the button stayed down";
        EXPECT_TRUE(Eventually([&] { return testing::ProcessGone(*guardian); }, 2000))
            << "the guardian outlived the program";
    }
    EXPECT_TRUE(killedWithTheButtonDown) << "no kill came while the button was down";
}

// Each of the program's connections in turn (the pointer's, the Esc key's, the spare one, the
// screen's) closed by another client: Esc lost with the second, the button with the first.
TEST_F(ProgramInterruptionsX11, ClosingAnyOfItsXConnectionsEndsTheRunWithTheButtonUp) {
    std::size_t connections = 0;
    for (std::size_t closed = 0;; ++closed) {
        SCOPED_TRACE(closed);
        ASSERT_NO_FATAL_FAILURE(startLongRun());
        // A connection opened only for a moment at the start is none of the run's: the run's
        // connections are those that stay.
        std::vector<XID> clients = ClientsOf(session.display(), pid());
        for (int looks = 0; looks < 20; ++looks) {
            Pause(100);
            std::vector<XID> again = ClientsOf(session.display(), pid());
            if (again == clients) {
                break;
            }
            clients = std::move(again);
        }
        connections = clients.size();
        if (closed == connections) {
            break;
        }
        XKillClient(session.display(), clients[closed]);
        XSync(session.display(), False);
        EXPECT_TRUE(Eventually([&] { return !session.leftButtonDown(); }, 500, 1))
            << "the run went on with the button down";
        expectEnded(1, 5000);
        // Told once: as the reason the run ended.
        EXPECT_EQ(standardError().count(QStringLiteral("X サーバーとの接続")), 1);
    }
    EXPECT_GE(connections, 4u);
}

// Named .png: the decoder goes by the content.
TEST_F(ProgramInterruptionsX11, ASlowSvgEndsTheCommandWithinItsLimit) {
    const auto started = std::chrono::steady_clock::now();
    ASSERT_NO_FATAL_FAILURE(startSlowPlan());
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    // The decode's limit is 10 s; the rest is the start and a loaded machine.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(ProgramInterruptionsX11, SigtermDuringASlowDecodeEndsTheCommandAndTheDecodeAtOnce) {
    ASSERT_NO_FATAL_FAILURE(startSlowPlan());
    std::vector<std::pair<pid_t, std::string>> decoding;
    ASSERT_TRUE(Eventually([&] { return !(decoding = testing::ChildrenOf(pid())).empty(); }))
        << "no decoding child";
    Pause(300);
    const auto signalled = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(pid(), SIGTERM), 0);
    ASSERT_TRUE(process.waitForFinished(5000));
    // Far below the decode's 10 s: the command did not wait for it.
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
    for (const auto& child : decoding) {
        EXPECT_TRUE(Eventually([&] { return testing::ProcessGone(child.first); }, 1000))
            << "the decoding child outlived the command";
    }
}

// Refused with the reason: onto a named pipe (which stays), a folder, or in a missing folder.
TEST_F(ProgramInterruptionsX11, APlanImageThatCannotBeWrittenIsRefusedWithItsReason) {
    QImage art(20, 20, QImage::Format_RGB32);
    art.fill(Qt::black);
    const QString picture = dir.filePath(QStringLiteral("art.png"));
    ASSERT_TRUE(art.save(picture));
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("plan.png")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const auto refusal = [&](const QString& planImage) {
        process.close();
        startDraw({picture, QStringLiteral("--at"), QStringLiteral("10,10"),
                   QStringLiteral("--plan"), QStringLiteral("--plan-image"), planImage});
        EXPECT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 1);
        return standardError();
    };
    const QString onPipe = refusal(QFile::decodeName(fifo));
    EXPECT_TRUE(onPipe.contains(QFile::decodeName(fifo) +
                                QStringLiteral("（通常のファイルではありません）")))
        << onPipe.toStdString();
    struct stat status {};
    ASSERT_EQ(::lstat(fifo.constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_TRUE(refusal(dir.path()).contains(QString::fromLocal8Bit(std::strerror(EISDIR))));
    EXPECT_TRUE(refusal(dir.filePath(QStringLiteral("no/plan.png")))
                    .contains(QString::fromLocal8Bit(std::strerror(ENOENT))));
}

TEST_F(ProgramInterruptionsX11, ASettingsLinkToAFileNotYetThereStaysALinkAndTheFileIsMade) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dotfiles")));
    const QString kept = dir.filePath(QStringLiteral("dotfiles/stylorex.ini"));
    ASSERT_TRUE(QFile::link(kept, iniPath()));
    ASSERT_NO_FATAL_FAILURE(start());
    process.terminate();  // closes the window as the close box does, and saves
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_TRUE(QFileInfo(iniPath()).isSymLink());
    QFile saved(kept);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("CanvasWidth="));
}

class SlowPictureInTheWindowX11 : public ProgramInterruptionsX11 {
  protected:
    void TearDown() override {
        testing::StopProgram(clipboardOwner);
        ProgramInterruptionsX11::TearDown();
    }

    // Asks the window whether its event loop runs (_NET_WM_PING, which Qt answers on the root
    // window); the time the answer took, or nothing within `limit`.
    std::optional<std::chrono::milliseconds> ping(std::chrono::milliseconds limit) {
        Display* display = pinger_;
        const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
        const Atom pingAtom = XInternAtom(display, "_NET_WM_PING", False);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = *programWindow;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(pingAtom);
        event.xclient.data.l[1] = ++serial_;
        event.xclient.data.l[2] = static_cast<long>(*programWindow);
        const auto sent = std::chrono::steady_clock::now();
        XSendEvent(display, *programWindow, False, NoEventMask, &event);
        XFlush(display);
        while (std::chrono::steady_clock::now() - sent < limit) {
            while (XPending(display) > 0) {
                XEvent answer;
                XNextEvent(display, &answer);
                if (answer.type == ClientMessage &&
                    static_cast<Atom>(answer.xclient.data.l[0]) == pingAtom &&
                    answer.xclient.data.l[1] == serial_) {
                    return std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - sent);
                }
            }
            Pause(2);
        }
        return std::nullopt;
    }

    void SetUp() override {
        ProgramInterruptionsX11::SetUp();
        pinger_ = XOpenDisplay(nullptr);
        ASSERT_NE(pinger_, nullptr);
        XSelectInput(pinger_, DefaultRootWindow(pinger_), StructureNotifyMask);
        XSync(pinger_, False);
    }

    ~SlowPictureInTheWindowX11() override {
        if (pinger_ != nullptr) {
            XCloseDisplay(pinger_);
        }
    }

    QProcess clipboardOwner;
    Display* pinger_ = nullptr;
    long serial_ = 0;
};

TEST_F(SlowPictureInTheWindowX11, ASlowSvgPastedLeavesTheWindowAnswering) {
    const QString svg = dir.filePath(QStringLiteral("slow.svg"));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SlowSvg());
    file.close();
    ASSERT_NO_FATAL_FAILURE(testing::CopyInAnotherProgram(clipboardOwner,
                                                          QStringLiteral(STYLOREX_CLIPBOARD_OWNER),
                                                          svg, QStringLiteral("image/svg+xml")));
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(ping(std::chrono::seconds(5))) << "the window does not answer pings at all";

    testing::TypeKey(session.display(), XK_v, true);
    Pause(200);
    // For three seconds of the decode, well within its 10 s limit.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        const auto answered = ping(std::chrono::milliseconds(200));
        ASSERT_TRUE(answered) << "the window did not answer within 200 ms";
        Pause(50);
    }
    EXPECT_EQ(process.state(), QProcess::Running);
}

}  // namespace
}  // namespace stylorex
