#include "tests/wayland/desktop_run.h"

#include "os/session_choice.h"

#include "tests/wayland/screen_events.h"
#include "tests/x11/program_processes.h"
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace stylorex::testing {

namespace {

using Kind = ReceivedEvent::Kind;

// Where a window may lie: where the tests' window rules put it, the middle of the screen, where
// a desktop that places windows itself may put the first one, and then anywhere, a grid finer
// than the windows of the tests.
std::vector<QPoint> Probes() {
    std::vector<QPoint> probes = {QPoint(kTargetX + 20, kTargetY + 20), QPoint(640, 512)};
    for (int y = 60; y < 1024; y += 150) {
        for (int x = 60; x < 1280; x += 150) {
            probes.emplace_back(x, y);
        }
    }
    return probes;
}

// Time for the compositor to deliver the enter a move causes.
constexpr std::chrono::milliseconds kProbeWait(150);

}  // namespace

std::optional<QPoint> WindowOrigin(PointerDevice& pointer, RecordingClient& client) {
    std::optional<QPoint> origin;
    for (const QPoint probe : Probes()) {
        // An enter from before (the window mapped under the pointer) is not this probe's.
        client.forget();
        pointer.moveTo(probe.x(), probe.y());
        std::vector<SurfaceEvent> events;
        if (!WaitUntil(
                [&] {
                    events = client.events();
                    return !events.empty();
                },
                kProbeWait)) {
            continue;
        }
        // Where the window last saw the pointer is where it stands.
        for (;;) {
            std::this_thread::sleep_for(kProbeWait);
            std::vector<SurfaceEvent> more = client.events();
            if (more.size() == events.size()) {
                break;
            }
            events = std::move(more);
        }
        origin = probe - QPoint(events.back().x, events.back().y);
        break;
    }
    pointer.moveTo(5, 5);
    client.forget();
    return origin;
}

void DesktopRun::SetUp() {
    desktop = startDesktop();
    ASSERT_TRUE(desktop->running());
    client = std::make_unique<RecordingClient>(kClientSide, kClientSide, clientFrameTime());
    ASSERT_TRUE(client->alive()) << desktop->log();
    ASSERT_FALSE(client->shownCanvas().isNull());
}

void DesktopRun::open() {
    QString error;
    session = OpenSystemSession(&error);
    ASSERT_NE(session.pointer, nullptr) << error.toStdString() << '\n' << desktop->log();
    // A desktop may animate a new window into place (Mutter scales it up from its middle), and
    // a probe during the animation lands a pixel or more off: the window stands where two
    // probes a while apart agree.
    std::optional<QPoint> found = WindowOrigin(*session.pointer, *client);
    for (int tries = 0; found && tries < 20; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const std::optional<QPoint> again = WindowOrigin(*session.pointer, *client);
        if (again == found) {
            break;
        }
        found = again;
    }
    ASSERT_TRUE(found) << "the client's window is not under the middle of the screen";
    windowAt = *found;
}

std::int32_t DesktopRun::run(const QImage& picture, std::int16_t wait, bool check) {
    RunServices services{*session.pointer, {}, SystemClock()};
    if (check) {
        services.screen = session.screen.get();
    }
    RunSettings settings;
    settings.WaitTime = wait;
    return RunDrawing(picture, origin().x(), origin().y(), settings, services, runs);
}

void DesktopRun::expectExactStrokes(const QImage& picture) {
    // The compositor may still be delivering the last events of a run that has returned.
    std::size_t count = client->events().size();
    for (int tries = 0; tries < 20; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const std::size_t now = client->events().size();
        if (now == count) {
            break;
        }
        count = now;
    }
    const std::vector<ReceivedEvent> received =
        StrokeEvents(OnScreen(client->events(), windowAt), QRect(origin(), picture.size()));
    const std::vector<ReceivedEvent> expected =
        ExpectedRunEvents(picture, origin().x(), origin().y());
    EXPECT_TRUE(received == expected) << FirstDifference(received, expected);
    EXPECT_TRUE(client->alive()) << "the compositor disconnected the client";
}

void DesktopRun::engineDrawsExactlyAndChecks() {
    open();
    ASSERT_NE(session.screen, nullptr);
    EXPECT_EQ(session.pointer->primaryScreenSize(), QSize(1280, 1024));
    EXPECT_FALSE(session.pointer->stopWatch().canWatchEsc());
    const QImage picture = LineArt(200);
    EXPECT_GT(run(picture, 0, true), 0);
    expectExactStrokes(picture);
    const RunCheck& check = runs.lastResult().check;
    EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
    EXPECT_TRUE(check.missing.empty()) << check.missing.size() << " line pixels missing";
    EXPECT_TRUE(check.extra.empty()) << check.extra.size() << " pixels inked beside the lines";
    // What the run read back is what the client drew.
    const QImage canvas = client->shownCanvas();
    const QRect area(origin(), picture.size());
    EXPECT_TRUE(session.screen->grab(area) == canvas.copy(area.translated(-windowAt)))
        << "the screen read back differs from what the client drew";

    client->forget();
    const QImage part = picture.copy(0, 0, 100, 110);
    EXPECT_GT(run(part, 5), 0);
    expectExactStrokes(part);
}

void DesktopRun::drawCommandDrawsExactly() {
    open();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess process;
    // No terminal to ask on: only --yes agrees to a run that Esc cannot stop.
    process.setStandardInputFile(QProcess::nullDevice());
    const auto draw = [&](const QImage& picture, QStringList options) {
        const QString file = dir.filePath(QStringLiteral("picture.png"));
        EXPECT_TRUE(picture.save(file, "PNG"));
        process.start(
            QStringLiteral(STYLOREX_PROGRAM),
            QStringList{QStringLiteral("draw"), file, QStringLiteral("--at"),
                        QStringLiteral("%1,%2").arg(origin().x()).arg(origin().y()),
                        QStringLiteral("--mode"), QStringLiteral("dark"), QStringLiteral("--black"),
                        QStringLiteral("80"), QStringLiteral("--no-follow")} +
                options);
        EXPECT_TRUE(process.waitForFinished(120000));
        return process.exitCode();
    };

    const QImage art = LineArt(200);
    EXPECT_EQ(draw(art, {QStringLiteral("--wait"), QStringLiteral("0"), QStringLiteral("--json"),
                         QStringLiteral("--yes")}),
              0)
        << process.readAllStandardError().toStdString();
    expectExactStrokes(art);
    const QJsonObject check = QJsonDocument::fromJson(process.readAllStandardOutput())
                                  .object()
                                  .value(QStringLiteral("check"))
                                  .toObject();
    EXPECT_EQ(check.value(QStringLiteral("outcome")).toString(), QStringLiteral("checked"));
    EXPECT_EQ(check.value(QStringLiteral("missing")).toInt(-1), 0);
    EXPECT_EQ(check.value(QStringLiteral("extra")).toInt(-1), 0);

    client->forget();
    const QImage part = art.copy(0, 0, 100, 110);
    EXPECT_EQ(draw(part, {QStringLiteral("--wait"), QStringLiteral("0")}), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardError())
                    .contains(session.pointer->limits().stopAdvice()))
        << "the refusal does not say how a run stops here";
    EXPECT_TRUE(client->events().empty()) << "it drew without being allowed to";

    // On a new page: ink drawn over ink of its own changes nothing the check could see.
    client->wipe();
    EXPECT_EQ(draw(part, {QStringLiteral("--wait"), QStringLiteral("5"), QStringLiteral("--yes")}),
              0);
    expectExactStrokes(part);
}

void DesktopRun::startLongDraw(QProcess& process, const QTemporaryDir& dir) {
    const QString file = dir.filePath(QStringLiteral("square.png"));
    QImage square(100, 100, QImage::Format_RGB32);
    square.fill(Qt::black);
    ASSERT_TRUE(square.save(file, "PNG"));
    process.setStandardInputFile(QProcess::nullDevice());
    // A job of a shell's: a process group of its own, which SIGTSTP stops.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(QStringLiteral(STYLOREX_PROGRAM),
                  {QStringLiteral("draw"), file, QStringLiteral("--at"),
                   QStringLiteral("%1,%2").arg(origin().x()).arg(origin().y()),
                   QStringLiteral("--wait"), QStringLiteral("2"), QStringLiteral("--no-follow"),
                   QStringLiteral("--json"), QStringLiteral("--yes")});
}

void DesktopRun::movingThePointerStopsTheRun() {
    open();
    QTemporaryDir dir;
    QProcess process;
    ASSERT_NO_FATAL_FAILURE(startLongDraw(process, dir));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<SurfaceEvent> events = client->events();
            return std::any_of(events.begin(), events.end(), [](const SurfaceEvent& event) {
                return event.kind == SurfaceEvent::Kind::Press;
            });
        },
        std::chrono::seconds(60)))
        << "the run never pressed the button: " << process.readAllStandardError().toStdString();

    // The user's hand moves the pointer away, a little further each time, as a hand on the
    // mouse does.
    int moves = 0;
    const QPoint away = windowAt + QPoint(kClientSide + 200, kClientSide + 100);
    while (!process.waitForFinished(40) && moves < 100) {
        desktop->userMovesPointer(away + QPoint(++moves, 0));
    }
    // waitForFinished() answers false for a process that has ended already.
    ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(10000));
    EXPECT_LE(moves, 15) << "the run went on while the user moved the pointer";
    EXPECT_EQ(process.exitCode(), 3);
    const QJsonObject summary = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    EXPECT_EQ(summary.value(QStringLiteral("result")).toString(), QStringLiteral("aborted"));
    EXPECT_EQ(summary.value(QStringLiteral("reason")).toString(), QStringLiteral("pointer"));
    const std::vector<ReceivedEvent> events = OnScreen(client->events(), windowAt);
    ASSERT_FALSE(events.empty());
    // Where the button goes up is the hand's race with the run's last move: the hand goes on
    // moving until the command has ended.
    EXPECT_EQ(events.back().kind, Kind::Release) << Describe(events);
}

void DesktopRun::aSignalMidStrokeLeavesNoButtonDown(int signal) {
    open();
    QTemporaryDir dir;
    QProcess process;
    ASSERT_NO_FATAL_FAILURE(startLongDraw(process, dir));
    const auto buttonDown = [&] {
        bool down = false;
        for (const SurfaceEvent& event : client->events()) {
            if (event.kind == SurfaceEvent::Kind::Press) {
                down = true;
            } else if (event.kind == SurfaceEvent::Kind::Release) {
                down = false;
            }
        }
        return down;
    };
    ASSERT_TRUE(WaitUntil(buttonDown, std::chrono::seconds(60)))
        << "the run never pressed the button: " << process.readAllStandardError().toStdString();

    const pid_t pid = static_cast<pid_t>(process.processId());
    ASSERT_EQ(::kill(pid, signal), 0);
    EXPECT_TRUE(WaitUntil([&] { return !buttonDown(); }, std::chrono::seconds(2)))
        << "the button stayed down after signal " << signal;
    if (signal == SIGKILL) {
        ASSERT_TRUE(process.waitForFinished(10000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(buttonDown());
        return;
    }
    EXPECT_TRUE(WaitUntil([&] { return ProcessStopped(pid); }, std::chrono::seconds(3)))
        << "the program did not stop";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(buttonDown()) << "the button went down again while the program was stopped";
    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    ASSERT_TRUE(process.waitForFinished(10000)) << "the continued run went on";
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_EQ(QJsonDocument::fromJson(process.readAllStandardOutput())
                  .object()
                  .value(QStringLiteral("reason"))
                  .toString(),
              QStringLiteral("suspended"));
}

}  // namespace stylorex::testing
