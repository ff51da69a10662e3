#include "run/draw_job.h"

#include "engine/monotonic_clock.h"
#include "os/run_lock.h"
#include "tests/engine/test_pictures.h"
#include "tests/support/pointer_fake.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include <unistd.h>

namespace stylorex {
namespace {

using End = DrawJobOutcome::End;
using Consent = DrawJobFace::Consent;
using Kind = PointerOperation::Kind;

// A face that answers as told and records what the job showed it.
class RecordingFace : public DrawJobFace {
  public:
    bool drawing = true;
    RunFace as = RunFace::Terminal;
    Consent answer = Consent::Given;

    // What a report holds beyond the job's end.
    struct Result {
        bool aborted = false;
        std::int32_t strokesDrawn = 0;
        QPoint origin;
        RunCheck::Outcome check = RunCheck::Outcome::None;
    };

    std::vector<QString> calls;
    QString warning;
    std::optional<RunPlan> plan;
    std::optional<Result> report;

    bool draws() const override { return drawing; }
    void notice(const QString& text) override { calls.push_back(QStringLiteral("notice ") + text); }
    RunFace kind() const override { return as; }
    Consent consentWithoutEsc(const QString& text) override {
        calls.push_back(QStringLiteral("consent"));
        warning = text;
        return answer;
    }
    bool countDown(const DrawJobCountdown& countdown) override {
        calls.push_back(QStringLiteral("countdown"));
        return !countdown.stopped;
    }
    RunObserver* watch(bool) override { return nullptr; }
    bool showPlan(const DrawJobPlan& shown) override {
        calls.push_back(QStringLiteral("plan"));
        plan = shown.request.plan();
        return true;
    }
    void showResult(const DrawJobReport& shown) override {
        calls.push_back(QStringLiteral("result"));
        report = Result{shown.aborted, shown.strokesDrawn, shown.origin, shown.check.outcome};
    }
};

// A job on a fake pointer of a display of its own, drawing a PNG of two strokes at (100, 100)
// with no wait and without following the target (no screen is read). Each session gets a new
// pointer; what it is told is kept in `operations`.
class DrawJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::PictureWith(40, 30, {{3, 4}, {20, 25}}).save(picture(), "PNG"));
        request.picture = picture();
        request.at = QPoint(100, 100);
        request.overrides.waitMs = 0;
        request.overrides.followTarget = false;
        request.overrides.colour = false;
    }

    QString picture() const { return folder.filePath(QStringLiteral("two.png")); }

    DrawJobOutcome run() {
        return RunDrawJob(request, face, [this](QString* why, const auto&) {
            ++sessionsOpened;
            SystemSession session;
            if (!withPointer) {
                *why = QStringLiteral("ディスプレイがありません");
                return session;
            }
            auto pointer = std::make_unique<FakePointer>();
            pointer->setDisplayName(QStringLiteral("draw-job-%1").arg(::getpid()));
            pointer->setCanWatchEsc(escStops);
            pointer->onOperation = [this](const PointerOperation& op) { operations.push_back(op); };
            session.pointer = std::move(pointer);
            return session;
        });
    }

    std::vector<PointerOperation> presses() const {
        std::vector<PointerOperation> found;
        for (const PointerOperation& op : operations) {
            if (op.kind == Kind::Press) {
                found.push_back(op);
            }
        }
        return found;
    }

    QTemporaryDir folder;
    bool withPointer = true;
    bool escStops = true;
    std::vector<PointerOperation> operations;
    DrawJobRequest request;
    RecordingFace face;
    int sessionsOpened = 0;
};

TEST_F(DrawJobTest, RefusalsEndTheJobWithTheirReasonBeforeAnythingMoves) {
    request.picture = folder.filePath(QStringLiteral("none.png"));
    DrawJobOutcome outcome = run();
    EXPECT_EQ(outcome.end, End::Failed);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("none.png")));
    EXPECT_EQ(sessionsOpened, 0);

    request.picture = picture();
    request.at = QPoint(1281, 5);
    outcome = run();
    EXPECT_EQ(outcome.end, End::Usage);
    EXPECT_TRUE(outcome.message.startsWith(InvalidOriginText()));
    EXPECT_TRUE(operations.empty());
    EXPECT_TRUE(face.calls.empty());

    withPointer = false;
    request.at = QPoint(0, 0);
    outcome = run();
    EXPECT_EQ(outcome.end, End::Failed);
    EXPECT_EQ(outcome.message, RefusalText({RunRefusal::Reason::NoDisplay,
                                            QStringLiteral("ディスプレイがありません")}));
    EXPECT_FALSE(face.report);
}

TEST_F(DrawJobTest, WhereEscCannotStopTheRunTheFaceIsAskedFirst) {
    escStops = false;
    face.answer = Consent::Declined;
    EXPECT_EQ(run().end, End::Aborted);
    EXPECT_EQ(face.calls, std::vector<QString>{QStringLiteral("consent")});
    FakePointer withoutEsc;
    withoutEsc.setCanWatchEsc(false);
    EXPECT_TRUE(face.warning.startsWith(withoutEsc.limits().whyEscCannotStop()));
    EXPECT_TRUE(face.warning.contains(QStringLiteral("Ctrl+C")));
    EXPECT_TRUE(operations.empty());

    face = RecordingFace();
    face.answer = Consent::CannotAsk;
    EXPECT_EQ(run().end, End::Failed);

    // A face that only shows the plan is never asked.
    face = RecordingFace();
    face.drawing = false;
    EXPECT_EQ(run().end, End::Planned);
    EXPECT_EQ(face.calls,
              (std::vector<QString>{QStringLiteral("countdown"), QStringLiteral("plan")}));
    ASSERT_TRUE(face.plan);
    EXPECT_EQ(face.plan->strokes, 2);
    EXPECT_TRUE(operations.empty());
}

TEST_F(DrawJobTest, TheRunIsDrawnAndReportedToTheFace) {
    const DrawJobOutcome outcome = run();
    // No screen is read back here, so the run cannot be checked exact.
    EXPECT_EQ(outcome.end, End::NotExact);
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_EQ(face.calls,
              (std::vector<QString>{QStringLiteral("countdown"), QStringLiteral("result")}));
    ASSERT_TRUE(face.report);
    EXPECT_FALSE(face.report->aborted);
    EXPECT_EQ(face.report->strokesDrawn, 2);
    EXPECT_EQ(face.report->origin, QPoint(100, 100));
    EXPECT_EQ(face.report->check, RunCheck::Outcome::Unreadable);
    ASSERT_EQ(presses().size(), 2U);
    EXPECT_EQ(presses()[0], FakePointer::Press(103, 104));
    EXPECT_EQ(std::count_if(operations.begin(), operations.end(),
                            [](const PointerOperation& op) { return op.kind == Kind::Release; }),
              2);
}

// The window's way in: the picture already on its canvas, the run drawn on the caller's state.
TEST_F(DrawJobTest, ARunAskedForIsRefusedWithItsReasonAskedAboutOnlyWhenItWouldStartThenDrawn) {
    FakePointer pointer;
    pointer.setDisplayName(QStringLiteral("draw-job-asked-%1").arg(::getpid()));
    pointer.setCanWatchEsc(false);
    RunState state;
    RunSettings settings;
    settings.WaitTime = 0;
    settings.modes.FollowTarget = false;
    const DrawJobSurroundings surroundings{{&pointer, {}, nullptr}, state, SystemClock(), {}};
    const auto runOf = [&](const QImage& picture) {
        return RunDrawJob(RunRequest(picture, QPoint(10, 10), settings), surroundings, face);
    };
    const QImage twoStrokes = testing::PictureWith(40, 30, {{3, 4}, {20, 25}});

    DrawJobOutcome outcome = runOf(testing::PictureWith(40, 30, {}));
    EXPECT_EQ(outcome.end, End::Failed);
    ASSERT_TRUE(outcome.refusal);
    EXPECT_EQ(outcome.refusal->reason, RunRefusal::Reason::NothingToDraw);
    {
        const RunLock otherRun(pointer.displayName());
        outcome = runOf(twoStrokes);
    }
    ASSERT_TRUE(outcome.refusal);
    EXPECT_EQ(outcome.refusal->reason, RunRefusal::Reason::AnotherRun);
    EXPECT_EQ(outcome.message, RefusalText(*outcome.refusal));
    EXPECT_TRUE(face.calls.empty()) << "asked about a run that was then refused";

    face.as = RunFace::Window;
    face.answer = Consent::Declined;
    EXPECT_EQ(runOf(twoStrokes).end, End::Aborted);
    EXPECT_EQ(face.warning, HowThisRunStops(pointer, RunFace::Window));
    EXPECT_TRUE(pointer.operations().empty());

    face.answer = Consent::Given;
    outcome = runOf(twoStrokes);
    EXPECT_EQ(outcome.end, End::NotExact);
    EXPECT_FALSE(outcome.refusal);
    EXPECT_EQ(face.calls,
              (std::vector<QString>{QStringLiteral("consent"), QStringLiteral("consent"),
                                    QStringLiteral("result")}));
    ASSERT_TRUE(face.report);
    EXPECT_EQ(face.report->strokesDrawn, 2);
    EXPECT_EQ(state.lastResult().ending, RunResult::Ending::Completed);
    ASSERT_EQ(pointer.operationsOfKind(Kind::Press).size(), 2U);
    EXPECT_EQ(pointer.operationsOfKind(Kind::Press)[0], FakePointer::Press(13, 14));
}

}  // namespace
}  // namespace stylorex
