// Drawing runs through the Wayland backend into a client of the test's own on a headless sway:
// no fake on the path. The backend is the one the program's start picks for this session, and
// the real executable's draw command picks it too.
#include "engine/drawing_run.h"
#include "os/session_choice.h"
#include "os/wayland/sway_ipc.h"
#include "tests/wayland/headless_sway.h"
#include "tests/wayland/recording_client.h"
#include "tests/wayland/screen_events.h"
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::kTargetX;
using testing::kTargetY;
using testing::OnScreen;
using testing::ReceivedEvent;
using testing::SurfaceEvent;
using Kind = ReceivedEvent::Kind;

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 300;

QImage VerticalLine(int x, int fromY, int toY) {
    QImage picture(40, 60, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = fromY; y <= toY; ++y) {
        picture.setPixel(x, y, qRgb(0, 0, 0));
    }
    return picture;
}

// sway's binding events, as a subscription of the test's own sees them.
class BindingEvents {
  public:
    explicit BindingEvents(const QByteArray& socket) : ipc_(SwayIpc::connect(socket)) {
        subscribed_ = ipc_ && ipc_->subscribe(QByteArrayLiteral("[\"binding\"]"));
    }
    bool subscribed() const { return subscribed_; }
    // How many arrive until the first one, within `limit`.
    int within(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int count = 0;
        while (count == 0 && std::chrono::steady_clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            for (const SwayIpc::Message& event : ipc_->waitForEvents(left)) {
                count += event.type == SwayIpc::BindingEvent ? 1 : 0;
            }
        }
        return count;
    }

  private:
    std::unique_ptr<SwayIpc> ipc_;
    bool subscribed_ = false;
};

class WaylandRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sway.running());
        client = std::make_unique<testing::RecordingClient>(kClientWidth, kClientHeight,
                                                            clientFrameTime());
        ASSERT_TRUE(client->alive()) << sway.log();
        ASSERT_EQ(sway.windowRect(testing::kRecordingClientAppId),
                  QRect(kTargetX, kTargetY, kClientWidth, kClientHeight));
        // The client has answered every configure so far, and sway shows it there.
        ASSERT_FALSE(client->shownCanvas().isNull());
    }

    virtual std::chrono::milliseconds clientFrameTime() const {
        return std::chrono::milliseconds(0);
    }

    void open() {
        QString error;
        session = OpenSystemSession(&error);
        ASSERT_NE(session.pointer, nullptr) << error.toStdString();
        // sway lets the client's pointer enter at (0, 0) when the virtual pointer appears;
        // the run starts from outside the window, as in the x11 tests.
        session.pointer->moveTo(5, 5);
        client->forget();
    }

    std::int32_t run(const QImage& picture, std::int16_t wait, std::function<void()> yield = {}) {
        RunServices services{*session.pointer, std::move(yield), SystemClock()};
        RunSettings settings;
        settings.WaitTime = wait;
        return RunDrawing(picture, kOriginX, kOriginY, settings, services, runs);
    }

    void expectExactStrokes(const QImage& picture) {
        const std::vector<ReceivedEvent> received = testing::StrokeEvents(
            OnScreen(client->events()), QRect(QPoint(kOriginX, kOriginY), picture.size()));
        const std::vector<ReceivedEvent> expected =
            testing::ExpectedRunEvents(picture, kOriginX, kOriginY);
        EXPECT_TRUE(received == expected) << testing::FirstDifference(received, expected);
        EXPECT_TRUE(client->alive()) << "the compositor disconnected the client";
    }

    testing::HeadlessSway sway;
    std::unique_ptr<testing::RecordingClient> client;
    SystemSession session;
    RunState runs;
};

TEST_F(WaylandRun, LineArtArrivesExactlyAtWaitZeroAndTheScreenShowsWhatTheClientDrew) {
    open();
    ASSERT_NE(session.screen, nullptr);
    EXPECT_EQ(session.pointer->primaryScreenSize(), QSize(1280, 1024));
    EXPECT_TRUE(session.pointer->stopWatch().canWatchEsc());
    const QImage picture = testing::LineArt(200);
    EXPECT_GT(run(picture, 0), 0);
    expectExactStrokes(picture);

    const QImage canvas = client->shownCanvas();
    ASSERT_FALSE(canvas.isNull());
    const QImage screen =
        session.screen->grab(QRect(kTargetX, kTargetY, kClientWidth, kClientHeight));
    EXPECT_TRUE(screen == canvas) << "the screen read back differs from what the client drew";
    // One line pixel, read alone: the top-left corner of the line art's rectangle.
    EXPECT_EQ(session.screen->pixel(QPoint(kOriginX + 20, kOriginY + 20)), qRgb(0, 0, 0));
    EXPECT_EQ(session.screen->pixel(QPoint(kOriginX + 21, kOriginY + 21)), qRgb(255, 255, 255));
}

TEST_F(WaylandRun, WithoutSwaysIpcEscIsNotWatchedAndAtWaitFiveTheStrokesArriveExactly) {
    qunsetenv("SWAYSOCK");
    open();
    EXPECT_FALSE(session.pointer->stopWatch().canWatchEsc());
    const QImage picture = testing::LineArt(200).copy(0, 0, 100, 110);
    EXPECT_GT(run(picture, 5), 0);
    expectExactStrokes(picture);
}

TEST_F(WaylandRun, EscMidStrokeStopsWithinOneMoveAndItsBindingIsGoneAfterwards) {
    open();
    BindingEvents bindings(sway.ipcSocket());
    ASSERT_TRUE(bindings.subscribed());
    int moves = 0;
    bool bindingRan = false;
    const std::int32_t strokes = run(VerticalLine(3, 0, 40), 0, [&] {
        if (++moves == 5) {
            testing::TypeEscape();
            bindingRan = bindings.within(std::chrono::seconds(2)) == 1;
            // sway writes the event to each subscriber in turn: let it reach the backend too.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else if (moves > 5) {
            // Time for the event to reach the backend's socket, should it be late.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    EXPECT_TRUE(bindingRan) << "sway ran no binding for Esc during the run";
    EXPECT_EQ(strokes, 0);
    EXPECT_LE(moves, 6) << "the run went on after Esc";
    const std::vector<ReceivedEvent> events = OnScreen(client->events());
    ASSERT_GE(events.size(), 3u) << testing::Describe(events);
    const ReceivedEvent last = events.back();
    EXPECT_EQ(last.kind, Kind::Release) << testing::Describe(events);
    EXPECT_EQ(last.x, kOriginX + 3);
    EXPECT_TRUE(last.y == kOriginY + 5 || last.y == kOriginY + 6) << testing::Describe(events);

    testing::TypeEscape();
    EXPECT_EQ(bindings.within(std::chrono::milliseconds(300)), 0)
        << "the Esc binding outlived the run";
}

TEST_F(WaylandRun, AnErrorOrClosingTheBackendLeavesTheButtonUpAndNoBinding) {
    open();
    BindingEvents bindings(sway.ipcSocket());
    ASSERT_TRUE(bindings.subscribed());
    int moves = 0;
    EXPECT_THROW(run(VerticalLine(3, 0, 40), 0,
                     [&] {
                         if (++moves == 3) {
                             throw std::runtime_error("window closed");
                         }
                     }),
                 std::runtime_error);
    std::vector<ReceivedEvent> events = OnScreen(client->events());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (ReceivedEvent{Kind::Release, kOriginX + 3, kOriginY + 3}))
        << testing::Describe(events);
    testing::TypeEscape();
    EXPECT_EQ(bindings.within(std::chrono::milliseconds(300)), 0)
        << "the Esc binding outlived the run";

    session.pointer->moveTo(kOriginX + 20, kOriginY + 20);
    session.pointer->pressLeft(kOriginX + 20, kOriginY + 20);
    session = {};
    events = OnScreen(client->events());
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2],
              (ReceivedEvent{Kind::Press, kOriginX + 20, kOriginY + 20}));
    EXPECT_EQ(events.back(), (ReceivedEvent{Kind::Release, kOriginX + 20, kOriginY + 20}))
        << testing::Describe(events);
}

// `stylorex draw`, the real executable, in the sway session: it opens the Wayland backend
// itself. One compositor start for all of it: exact strokes at wait 0 and 5, --at pointer
// refused, a run Esc cannot stop refused without a terminal to ask on unless --yes, and Esc.
TEST_F(WaylandRun, TheDrawCommandDrawsExactlyAsksWhereEscIsNotWatchedAndEscEndsItWithThree) {
    open();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto startDraw = [&](const QImage& picture, QStringList options) {
        const QString file = dir.filePath(QStringLiteral("picture.png"));
        EXPECT_TRUE(picture.save(file, "PNG"));
        process.start(QStringLiteral(STYLOREX_PROGRAM),
                      QStringList{QStringLiteral("draw"), file, QStringLiteral("--mode"),
                                  QStringLiteral("dark"), QStringLiteral("--black"),
                                  QStringLiteral("80"), QStringLiteral("--no-follow")} +
                          options);
        EXPECT_TRUE(process.waitForStarted(5000));
    };
    const auto drawAt = [&](const QImage& picture, QStringList options) {
        startDraw(picture, options);
        EXPECT_TRUE(process.waitForFinished(60000));
        return process.exitCode();
    };
    const QString origin = QStringLiteral("%1,%2").arg(kOriginX).arg(kOriginY);

    const QImage art = testing::LineArt(200);
    EXPECT_EQ(drawAt(art, {QStringLiteral("--at"), origin, QStringLiteral("--wait"),
                           QStringLiteral("0"), QStringLiteral("--json")}),
              0);
    expectExactStrokes(art);
    // The run's own check read the target back through screencopy.
    const QJsonObject check = QJsonDocument::fromJson(process.readAllStandardOutput())
                                  .object()
                                  .value(QStringLiteral("check"))
                                  .toObject();
    EXPECT_EQ(check.value(QStringLiteral("outcome")).toString(), QStringLiteral("checked"));
    EXPECT_EQ(check.value(QStringLiteral("missing")).toInt(-1), 0);
    EXPECT_EQ(check.value(QStringLiteral("extra")).toInt(-1), 0);

    // Each later run on a new page: ink drawn over ink of its own changes nothing the check
    // could see, and the command would say it could not prove the drawing exact.
    client->forget();
    client->wipe();
    const QImage part = art.copy(0, 0, 100, 110);
    EXPECT_EQ(drawAt(part, {QStringLiteral("--at"), origin, QStringLiteral("--wait"),
                            QStringLiteral("5")}),
              0);
    expectExactStrokes(part);

    client->forget();
    EXPECT_EQ(drawAt(part, {QStringLiteral("--at"), QStringLiteral("pointer")}), 1)
        << "the pointer cannot be read here";
    EXPECT_TRUE(client->events().empty());

    // Without sway's IPC Esc cannot be watched: with no terminal to ask on, only --yes draws.
    QProcessEnvironment withoutIpc = QProcessEnvironment::systemEnvironment();
    withoutIpc.remove(QStringLiteral("SWAYSOCK"));
    process.setProcessEnvironment(withoutIpc);
    process.setStandardInputFile(QProcess::nullDevice());
    EXPECT_EQ(drawAt(part, {QStringLiteral("--at"), origin, QStringLiteral("--wait"),
                            QStringLiteral("0")}),
              1);
    EXPECT_TRUE(client->events().empty()) << "it drew without being allowed to";
    client->wipe();
    EXPECT_EQ(drawAt(part, {QStringLiteral("--at"), origin, QStringLiteral("--wait"),
                            QStringLiteral("0"), QStringLiteral("--yes")}),
              0);
    expectExactStrokes(part);
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());

    client->forget();
    // Every pixel of a white picture with nothing counted as white: a long run.
    QImage white(200, 200, QImage::Format_RGB32);
    white.fill(Qt::white);
    startDraw(white, {QStringLiteral("--at"), origin, QStringLiteral("--wait"), QStringLiteral("3"),
                      QStringLiteral("--mode"), QStringLiteral("nonwhite"),
                      QStringLiteral("--white"), QStringLiteral("256")});
    // The run has begun once the client sees the button down; Esc before then meets no run.
    const auto pressed = [&] {
        const std::vector<SurfaceEvent> seen = client->events();
        return std::any_of(seen.begin(), seen.end(), [](const SurfaceEvent& e) {
            return e.kind == SurfaceEvent::Kind::Press;
        });
    };
    for (int i = 0; i < 150 && !pressed(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before Esc";
    testing::TypeEscape();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 3);
    const std::vector<ReceivedEvent> events = OnScreen(client->events());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, Kind::Release) << testing::Describe(events);
    EXPECT_LT(events.size(), 20000u);
}

// A program that takes 50 ms for each frame reads nothing meanwhile. Sent as fast as sway takes
// them (about 100,000 a second here), 5,000 moves would pile up unread, and sway disconnects a
// client at about 2,500.
class WaylandRunIntoSlowFrames : public WaylandRun {
  protected:
    std::chrono::milliseconds clientFrameTime() const override {
        return std::chrono::milliseconds(50);
    }
};

TEST_F(WaylandRunIntoSlowFrames, ALongStrokeAtWaitZeroArrivesWholeAndTheClientStaysConnected) {
    open();
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::black);
    EXPECT_GT(run(picture, 0), 0);
    expectExactStrokes(picture);
}

}  // namespace
}  // namespace stylorex
