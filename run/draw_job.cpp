#include "run/draw_job.h"

#include "canvas/canvas_image.h"
#include "imaging/picture_decoder.h"
#include "os/session_choice.h"
#include "os/termination_signals.h"
#include "run/palette_settings.h"
#include "run/stop_reason.h"
#include "settings/ini_profile.h"
#include "settings/persistent_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <exception>
#include <utility>
#include <variant>

namespace stylorex {

namespace {

using Clock = std::chrono::steady_clock;
using End = DrawJobOutcome::End;

DrawJobOutcome ended(End end, QString message = {}) {
    return {end, std::move(message), std::nullopt};
}

// The picture on a canvas of its own size, as the window's canvas holds it after loading it
// (CanvasFit::Shrink as "画像に合わせて読み込む" loads it, scaled as the saved settings say);
// nothing, and `why` says why, when it cannot be read or is too large for a canvas.
std::optional<QImage> canvasOf(const DrawJobRequest& request, const SettingVariables& saved,
                               DrawJobFace& face, QString& why) {
    if (!QFileInfo::exists(request.picture)) {
        why = QCoreApplication::translate("DrawJob", "画像ファイルがありません: %1")
                  .arg(request.picture);
        return std::nullopt;
    }
    QString reason;
    const std::optional<QImage> picture = DecodePictureFile(request.picture, &reason);
    if (!picture) {
        why = QCoreApplication::translate("DrawJob", "画像ファイルを読めません: %1\n%2")
                  .arg(request.picture, reason);
        return std::nullopt;
    }
    const PictureOnCanvas placed =
        PictureOnOwnCanvas(*picture, request.fit,
                           saved.SmoothScaling ? PictureScaling::Smooth : PictureScaling::LineArt);
    if (placed.tooLarge()) {
        why = QCoreApplication::translate("DrawJob",
                                          "画像が大きすぎます（%1 × %2）。描画できるのは %3 × %4 "
                                          "までです。--crop を付けると左上の %3 × %4 を、--fit "
                                          "を付けると縮小して全体を描画します。")
                  .arg(picture->width())
                  .arg(picture->height())
                  .arg(kLargestCanvasWidth)
                  .arg(kLargestCanvasHeight);
        return std::nullopt;
    }
    if (placed.shrunk) {
        face.notice(ShrunkPictureText(placed.size, picture->size()));
    }
    return ComposedCanvas(placed.background, placed.size);
}

// The run made ready on `devices`, or the job's end with the refusal.
std::variant<ReadyRun, DrawJobOutcome> readyOrRefused(RunRequest request,
                                                      const RunDevices& devices) {
    std::variant<ReadyRun, RunRefusal> ready = std::move(request).ready(devices);
    if (const RunRefusal* refusal = std::get_if<RunRefusal>(&ready)) {
        DrawJobOutcome refused = ended(End::Failed, RefusalText(*refusal));
        refused.refusal = *refusal;
        return refused;
    }
    return std::move(std::get<ReadyRun>(ready));
}

// Where Esc cannot stop a run on `pointer`, the face is told how it stops instead and asked; the
// job's end unless the user agrees.
std::optional<DrawJobOutcome> notAgreedWithoutEsc(const PointerDevice& pointer, DrawJobFace& face) {
    const QString warning = HowThisRunStops(pointer, face.kind());
    if (warning.isEmpty()) {
        return std::nullopt;
    }
    switch (face.consentWithoutEsc(warning)) {
        case DrawJobFace::Consent::Given:
            return std::nullopt;
        case DrawJobFace::Consent::Declined:
            return ended(End::Aborted);
        case DrawJobFace::Consent::CannotAsk:
            break;
    }
    return ended(End::Failed);
}

// Draws `run` through `services` and tells the face how it went.
DrawJobOutcome draw(ReadyRun& run, RunServices services, RunState& state, const bool& signalled,
                    DrawJobFace& face) {
    const RunSettings& settings = run.settings();
    services.observer = face.watch(services.pointer.stopWatch().canWatchEsc());
    const Clock::time_point start = Clock::now();
    std::int32_t strokes = 0;
    try {
        strokes = run.draw(services, state);
    } catch (const std::exception& error) {
        // The run has released the button before the error reached here.
        return ended(End::Failed, QString::fromLocal8Bit(error.what()));
    }
    const RunResult& result = state.lastResult();
    const bool aborted = result.ending == RunResult::Ending::Aborted;
    // The job asks a run to stop only on a signal.
    DrawJobReport report{settings,
                         run.plan(),
                         run.origin(),
                         strokes,
                         std::chrono::duration<double>(Clock::now() - start).count(),
                         aborted,
                         signalled ? std::nullopt : result.stoppedBy,
                         result.check};
    if (!report.aborted && report.check.outcome == RunCheck::Outcome::None) {
        report.check.outcome = RunCheck::Outcome::Unreadable;  // the session reads no screen back
    }
    face.showResult(report);
    if (report.aborted) {
        return ended(End::Aborted);
    }
    return ended(report.check.satisfied() ? End::Drawn : End::NotExact);
}

}  // namespace

DrawJobOutcome RunDrawJob(const DrawJobRequest& request, DrawJobFace& face,
                          const SessionOpener& openSession) {
    const QString settingsFile = SettingsFileToRead();
    if (const std::optional<QString> why = ProfileFileUnreadable(settingsFile)) {
        face.notice(QCoreApplication::translate(
                        "DrawJob", "設定ファイルを読み込めません: %1（%2）。既定の設定で描きます")
                        .arg(QDir::toNativeSeparators(settingsFile), *why));
    }
    const SettingVariables saved = SavedSettingVariables(settingsFile);
    QString why;
    const std::optional<QImage> canvas = canvasOf(request, saved, face, why);
    if (!canvas) {
        return ended(End::Failed, why);
    }

    // A plan at a given origin needs no display; where there is one, the plan says whether the
    // lines leave its screen.
    QString noSession;
    const auto notice = [&face](const QString& text) { face.notice(text); };
    SystemSession session =
        openSession ? openSession(&noSession, notice) : OpenSystemSession(&noSession, notice);
    PointerDevice* pointer = session.pointer.get();
    if (request.atPointer && pointer == nullptr) {
        return ended(End::Failed, noSession);
    }
    // Colours a palette file leaves out are read from this session's screen.
    RunOverrides overrides = request.overrides;
    if (!request.paletteFile.isEmpty()) {
        overrides.swatches = ReadPaletteFile(request.paletteFile, session.screen.get(), why);
        if (!overrides.swatches) {
            return ended(End::Failed, why);
        }
    }
    const RunSettings settings = RunSettingsOf(saved, overrides);
    if (overrides.within && !settings.colour) {
        return ended(End::Usage, QCoreApplication::translate(
                                     "DrawJob",
                                     "--within はカラーで描くとき（--palette か --mode "
                                     "colour、または保存された設定がカラー）だけ使えます"));
    }
    if (request.atPointer && !pointer->limits().canReadPosition()) {
        return ended(End::Failed, pointer->limits().whyPositionUnreadable() +
                                      QCoreApplication::translate(
                                          "DrawJob",
                                          "--at pointer は使えません。--at X,Y で原点を指定して"
                                          "ください。"));
    }
    if (face.draws() && pointer != nullptr) {
        if (std::optional<DrawJobOutcome> notAgreed = notAgreedWithoutEsc(*pointer, face)) {
            return *notAgreed;
        }
    }
    // A plan beyond the screen is shown, and says that it leaves the screen.
    if (face.draws() && request.at && pointer != nullptr &&
        OriginBeyondScreen(*request.at, pointer->primaryScreenSize())) {
        return ended(End::Usage, QStringLiteral("%1: %2,%3")
                                     .arg(InvalidOriginText())
                                     .arg(request.at->x())
                                     .arg(request.at->y()));
    }

    RunState state;
    bool signalled = false;
    TerminationSignals stopOnSignal([&] {
        signalled = true;
        state.requestStop();
    });
    // Without a pointer a run is refused at once: nothing to count down to.
    const DrawJobCountdown countdown{
        pointer, session.screen.get(),
        [&] { return RunRequest(*canvas, QPoint(0, 0), settings).bounds(); },
        request.atPointer ? std::nullopt : request.at, signalled};
    if (!(pointer == nullptr && face.draws()) && !face.countDown(countdown)) {
        return ended(
            End::NotStarted,
            QCoreApplication::translate("DrawJob", "中断しました（%1）: 描画は始まっていません")
                .arg(signalled || pointer == nullptr
                         ? QCoreApplication::translate("DrawJob", "シグナル")
                         : StopReasonText(pointer->stopWatch().stopCause())));
    }
    RunRequest run(*canvas, request.atPointer ? pointer->position() : *request.at, settings);
    if (!face.draws()) {
        const std::optional<QSize> screen =
            pointer != nullptr ? std::optional<QSize>(pointer->primaryScreenSize()) : std::nullopt;
        return ended(face.showPlan({*canvas, run, screen}) ? End::Planned : End::Failed);
    }
    std::variant<ReadyRun, DrawJobOutcome> ready =
        readyOrRefused(std::move(run), {pointer, noSession, session.screen.get()});
    if (DrawJobOutcome* refused = std::get_if<DrawJobOutcome>(&ready)) {
        return std::move(*refused);
    }
    ReadyRun& readyRun = std::get<ReadyRun>(ready);
    // Without the screen read back, the run neither follows the target nor checks it.
    if (settings.modes.FollowTarget && session.screen == nullptr) {
        face.notice(QCoreApplication::translate(
            "DrawJob", "画面を読めないため、追従モードを使わず固定のウェイトで描画します。"));
    }
    return draw(readyRun, readyRun.services(), state, signalled, face);
}

DrawJobOutcome RunDrawJob(RunRequest request, const DrawJobSurroundings& surroundings,
                          DrawJobFace& face) {
    std::variant<ReadyRun, DrawJobOutcome> ready =
        readyOrRefused(std::move(request), surroundings.devices);
    if (DrawJobOutcome* refused = std::get_if<DrawJobOutcome>(&ready)) {
        return std::move(*refused);
    }
    // Asked only of a run that would start: the pointer is there.
    if (std::optional<DrawJobOutcome> notAgreed =
            notAgreedWithoutEsc(*surroundings.devices.pointer, face)) {
        return *notAgreed;
    }
    ReadyRun& run = std::get<ReadyRun>(ready);
    RunServices services = run.services(surroundings.clock);
    services.ownWindow = surroundings.ownWindow;
    const bool signalled = false;  // the caller stops its run through its state
    return draw(run, services, surroundings.state, signalled, face);
}

}  // namespace stylorex
