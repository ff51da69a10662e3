#pragma once

#include "engine/colour_plan.h"
#include "engine/drawing_run.h"
#include "engine/monotonic_clock.h"
#include "engine/pixel_scan.h"
#include "engine/run_plan.h"
#include "engine/run_state.h"
#include "os/pointer_device.h"
#include "os/run_lock.h"
#include "os/screen_reader.h"
#include "settings/persistent_settings.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

// One path from "draw this" to a run, shared by the main window's start and resume commands and
// by `stylorex draw`: the settings the run reads, the picture scanned once into what the run
// will draw, the checks that may refuse it, and the display's run lock, held while it draws.
//
//   RunRequest request(picture, origin, RunSettingsOf(saved, overrides));   // scans
//   request.plan(), request.bounds(), request.leavesScreen(size)           // a plan to show
//   auto ready = std::move(request).ready(devices);                        // refusal or run
//   RunServices services = run.services(clock);  // + observer, own window
//   run.draw(services, state);                   // the lock goes with `run`
//
// Steps before the first press (a countdown, showing where the run will go) belong between
// ready() and draw(): the lock is already held there.

namespace stylorex {

// What a caller sets over the setting variables for one run; each empty one is as set.
struct RunOverrides {
    std::optional<std::int32_t> pickUpPattern;
    std::optional<std::int32_t> blackUpper;
    std::optional<std::int32_t> whiteUpper;
    std::optional<std::int16_t> waitMs;
    std::optional<bool> followTarget;
    std::optional<bool> joinRuns;
    // The target's pen in pixels across, and the check a completed run gets (Auto: as the pen
    // says, CheckTolerance).
    std::optional<std::int32_t> penWidth;
    std::optional<CheckChoice> check;
    // Colour: whether the picture is drawn in the palette's inks (ColourMode), the swatches, the
    // target canvas's colour, the dithering, the ink order and the time budget (zero: none).
    std::optional<bool> colour;
    std::optional<std::vector<Swatch>> swatches;
    std::optional<QRgb> background;
    std::optional<Dithering> dithering;
    std::optional<InkOrder> inkOrder;
    std::optional<std::chrono::milliseconds> within;
};

// The settings a run reads, from the setting variables and what `overrides` sets over them; with
// colour on, their colour part too (run/palette_settings.h).
RunSettings RunSettingsOf(const SettingVariables& settings, const RunOverrides& overrides = {});

// The setting variables saved in the settings file at `path`, read as the window reads them at
// its start, without its controls; nothing is written.
SettingVariables SavedSettingVariables(const QString& path);

// Whether `origin` lies beyond the right or bottom edge of a screen of `screen`'s size. The
// width and height themselves and negative values do not: a picture's lines may still fall on
// the screen from there (RunRequest::leavesScreen decides that).
bool OriginBeyondScreen(QPoint origin, QSize screen);

// "開始座標が不正です": an origin that is no number or lies beyond the screen.
QString InvalidOriginText();

// The start command's check of the two origin texts.
struct OriginCheck {
    bool ok = false;
    QPoint origin;
    QString message;  // the message box text when not ok
};

// Both texts must be whole decimal numbers in the 32-bit range (surrounding blanks allowed).
// "**" in textX or an empty text: "開始座標を設定してください". Anything else that is not such a
// number, or an origin beyond the screen (OriginBeyondScreen): InvalidOriginText().
OriginCheck CheckOrigin(const QString& textX, const QString& textY, QSize primaryScreen);

// Why a run does not start. Nothing has moved when a run is refused.
struct RunRefusal {
    enum class Reason {
        NoDisplay,        // no pointer can be driven here; `detail` says why
        NothingToDraw,    // the picture has no line pixel, or nothing is left to draw
        LeavesScreen,     // a line pixel at the origin lies off the screen
        AnotherRun,       // another run drives this display's pointer
        NoLock,           // the display's run lock could not be made; `detail` says why
        NoSwatches,       // a run in colour without a swatch to take its inks from
        SwatchOffScreen,  // a swatch lies off the screen; `detail`: its row, from 1
    };
    Reason reason = Reason::NothingToDraw;
    QString detail;
};

// The refusal in words for the user: the window's message, the command line's too.
QString RefusalText(const RunRefusal& refusal);

// What the session offers a run.
struct RunDevices {
    // Null where no pointer can be driven; `noPointer` then says why.
    PointerDevice* pointer = nullptr;
    QString noPointer;
    // Null where the screen cannot be read back: the run neither follows the target nor checks it.
    ScreenReader* screen = nullptr;
};

// A run that may start: its display's run lock is held until it is destroyed.
class ReadyRun {
  public:
    const RunSettings& settings() const { return settings_; }
    QPoint origin() const { return origin_; }
    const RunPlan& plan() const { return plan_; }

    // The run's services: the devices it was made ready for, `clock`, and a yield that lets the
    // event loop run. The caller adds its observer and its own window.
    RunServices services(MonotonicClock& clock = SystemClock()) const;
    // Draws the run on `state` through `services` (RunDrawing over the request's scan, or
    // ResumeDrawing); returns the strokes completed and throws as they do. Once only.
    std::int32_t draw(RunServices& services, RunState& state);

  private:
    friend class RunRequest;
    ReadyRun(RunLock lock, const RunDevices& devices);

    RunLock lock_;
    PointerDevice* pointer_;
    ScreenReader* screen_;
    RunSettings settings_;
    QPoint origin_;
    RunPlan plan_;
    // The state whose stopped run this one resumes; null: a run of the request's scan.
    const RunState* resumed_ = nullptr;
    ScanTables tables_;
    // A run in colour: its inks, drawn instead of tables_ (RunColourDrawing).
    std::optional<ColourPlan> colour_;
    bool drawn_ = false;
};

// One run asked for. The picture is scanned once, here; the plan, the bounds and the run itself
// all come from that scan.
class RunRequest {
  public:
    // A run of `picture` (the committed canvas picture) with its top-left pixel at `origin`; in
    // the palette's inks when settings.colour is set (PlanColours: plan() is then every ink's).
    RunRequest(const QImage& picture, QPoint origin, const RunSettings& settings);
    // The rest of the run `state` holds stopped (RunState::resumable()), at its origin.
    RunRequest(const RunState& state, const RunSettings& settings);

    const RunSettings& settings() const { return settings_; }
    QPoint origin() const { return origin_; }
    const RunPlan& plan() const { return plan_; }
    // The scan: the picture's line pixels, in the run's order (WalkRun).
    const ScanTables& tables() const;
    // Every ink's scan in a run in colour, in the run's order; else the scan alone.
    std::vector<const ScanTables*> passTables() const;
    // A run in colour: its inks as planned; null for a run of one ink.
    const ColourPlan* colourPlan() const { return colour_ ? &*colour_ : nullptr; }
    // The line pixels still to draw, on the screen; empty when there are none.
    QRect bounds() const { return bounds_; }
    // Whether a line pixel to draw lies off a screen of `screen`'s size. The pointer cannot
    // leave the screen: a stroke beyond its edge would be drawn along the edge instead. The
    // picture's white margins do not count.
    bool leavesScreen(QSize screen) const;

    // Makes the run ready on `devices`, or says why not, checking in this order: a pointer to
    // drive, a swatch for a run in colour, something to draw, the lines on the pointer's screen,
    // and the display's run lock, which the ready run then holds.
    std::variant<ReadyRun, RunRefusal> ready(const RunDevices& devices) &&;

  private:
    RunSettings settings_;
    QPoint origin_;
    RunPlan plan_;
    QRect bounds_;
    // The scan of a new run; a resumed run's tables stay in its state.
    ScanTables tables_;
    const RunState* resumed_ = nullptr;
    std::optional<ColourPlan> colour_;
};

}  // namespace stylorex
