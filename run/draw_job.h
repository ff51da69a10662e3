#pragma once

#include "canvas/picture_fit.h"
#include "engine/run_check.h"
#include "engine/run_events.h"
#include "os/pointer_device.h"
#include "os/screen_reader.h"
#include "os/system_session.h"
#include "run/run_request.h"
#include "run/stop_reason.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// One drawing from start to end: the picture taken in as the window's canvas would hold it, the
// saved settings with what the caller sets over them, the session's pointer, the checks that
// refuse a run, the consent where Esc cannot stop it, the wait before it, the run and its report.
// The job decides; it shows nothing itself. What the user sees (the questions, the countdown, the
// progress, the plan and the result) is its face's:
//
//   DrawJobOutcome outcome = RunDrawJob(request, face);   // a picture file, the face told along
//   RunDrawJob(std::move(runRequest), surroundings, face); // a run the caller has asked for
//
// `stylorex draw` is the command line's face of it, the main window's "処理" and "続きを描く"
// (whose picture is already on its canvas) the window's.

namespace stylorex {

// What to draw, and where.
struct DrawJobRequest {
    QString picture;  // the picture file
    // How a picture larger than the largest canvas is taken: refused, cut or scaled down.
    CanvasFit fit = CanvasFit::Whole;
    // The origin: `at`, or where the pointer stands when the run begins (atPointer).
    std::optional<QPoint> at;
    bool atPointer = false;
    // A palette file whose swatches a run in colour takes its inks from; empty: the saved ones.
    QString paletteFile;
    // Set over the saved settings; the swatches come from paletteFile.
    RunOverrides overrides;
};

// The plan of the run, for a face that shows it instead of drawing it.
struct DrawJobPlan {
    const QImage& canvas;  // the picture on its canvas
    const RunRequest& request;
    // The pointer's screen where one is known: whether the lines leave it.
    std::optional<QSize> screen;
};

// A run that was drawn to its end or stopped.
struct DrawJobReport {
    const RunSettings& settings;
    const RunPlan& plan;
    QPoint origin;
    std::int32_t strokesDrawn = 0;
    double elapsedSeconds = 0;
    bool aborted = false;
    // What stopped an aborted run; empty: a signal.
    std::optional<StopCause> stoppedBy;
    // What the check found; Unreadable where the session reads no screen back.
    RunCheck check;
};

// Where the job stands while its face waits before the first press.
struct DrawJobCountdown {
    PointerDevice* pointer = nullptr;  // null: the session has none
    ScreenReader* screen = nullptr;
    // The line pixels' rectangle with the picture's top-left pixel at (0, 0); scans the picture.
    std::function<QRect()> linesAtZero;
    // The origin when it is known before the run (not at the pointer).
    std::optional<QPoint> at;
    // Turns true when a signal asks the job to stop.
    const bool& stopped;
};

// What the user sees of a draw job. Each call comes at most once, in the order declared, and
// each may be left out as the job ends early.
class DrawJobFace {
  public:
    virtual ~DrawJobFace() = default;

    // Whether this face draws; one that does not is shown the plan (showPlan) and no run starts.
    virtual bool draws() const = 0;
    // Something the user should know that does not end the job (the settings file unreadable, a
    // picture shrunk, the session's approval, the follow mode left out).
    virtual void notice(const QString& text) = 0;
    // Whose words say how a run Esc cannot stop stops instead (HowThisRunStops).
    virtual RunFace kind() const { return RunFace::Terminal; }
    // Where Esc cannot stop the run: `warning` says so and how it stops instead.
    enum class Consent { Given, Declined, CannotAsk };
    virtual Consent consentWithoutEsc(const QString& warning) = 0;
    // The wait before the first press; false when it was stopped (a signal, Esc).
    virtual bool countDown(const DrawJobCountdown& countdown) = 0;
    // Who watches the run's progress (null: nobody); `escStops`: Esc stops it, not only signals.
    virtual RunObserver* watch(bool escStops) = 0;
    // The plan, for a face that does not draw; false when it could not be shown (the face said
    // why).
    virtual bool showPlan(const DrawJobPlan& plan) = 0;
    // The run, drawn to its end or stopped.
    virtual void showResult(const DrawJobReport& report) = 0;
};

// How a job ended. `message`, where given, is what the face has not shown of it: the reason of a
// refusal or a failure, the usage fault (the caller adds how to get help), or the stop before
// the run began (a result rather than a message).
struct DrawJobOutcome {
    enum class End {
        Drawn,       // drawn to the end and checked exact
        NotExact,    // drawn to the end, but the check found it wrong or could not check
        Planned,     // the plan shown
        Aborted,     // stopped during the run, or the user declined it
        NotStarted,  // stopped before the run began; `message` says by what
        Failed,      // the picture, the display, the session or the run refused or failed
        Usage,       // the request does not fit the settings or the screen
    };
    End end = End::Failed;
    QString message;
    // Why RunRequest::ready refused the run, where it did (`end` Failed, `message` its text): a
    // face may show a refusal as its own (the window shows a run with nothing to draw as ended).
    std::optional<RunRefusal> refusal;
};

// Opens the session a job draws through (OpenSystemSession), telling `notice` what a desktop's
// approval dialog will ask.
using SessionOpener =
    std::function<SystemSession(QString* error, const std::function<void(const QString&)>& notice)>;

// Runs the job of `request`, telling `face` along the way. `openSession` stands in for the real
// session in tests; the real one is opened by default.
DrawJobOutcome RunDrawJob(const DrawJobRequest& request, DrawJobFace& face,
                          const SessionOpener& openSession = {});

// What a run the caller has asked for draws through.
struct DrawJobSurroundings {
    RunDevices devices;
    // The state the run is drawn on: its stop requests, and what a stopped run leaves to resume.
    RunState& state;
    MonotonicClock& clock;
    // Where the caller's own window lies on the screen (RunServices::ownWindow); empty: none.
    std::function<QRect()> ownWindow;
};

// Runs the job of `request`, a picture already on the caller's committed canvas at its origin or
// the rest of a stopped run: refused (`refusal` says why), asked of `face` where Esc cannot stop
// it (only a run that would start is asked), drawn and reported. There is no countdown and no
// plan: `face` draws.
DrawJobOutcome RunDrawJob(RunRequest request, const DrawJobSurroundings& surroundings,
                          DrawJobFace& face);

}  // namespace stylorex
