#include "ui/window_run_control.h"

#include "canvas/picture_box.h"
#include "desktop/desktop_pixels.h"
#include "engine/monotonic_clock.h"
#include "engine/run_state.h"
#include "os/point_picker.h"
#include "os/pointer_device.h"
#include "run/draw_job.h"
#include "run/run_request.h"
#include "ui/frm_graph.h"
#include "ui/frm_graph_layout.h"
#include "ui/picture_placement.h"
#include "ui/qt_user_dialogs.h"
#include "ui/run_panels.h"
#include "ui/run_report.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>

#include <optional>
#include <utility>

namespace stylorex {

namespace {

// The window's face of a draw job: the question where Esc cannot stop the run in a message box,
// the run's phases, progress and check in the caption and the status bar, the stroke count in
// panel 3 at its end.
class WindowRunFace : public DrawJobFace {
  public:
    WindowRunFace(frmGraph& window, UserDialogs& dialogs, RunPanels& panels, std::int16_t waitMs)
        : window_(window), dialogs_(dialogs), panels_(panels), waitMs_(waitMs) {}

    // Whether the user said no to a run Esc cannot stop.
    bool declined() const { return declined_; }

    bool draws() const override { return true; }
    void notice(const QString& text) override { dialogs_.message(text); }
    RunFace kind() const override { return RunFace::Window; }
    Consent consentWithoutEsc(const QString& warning) override {
        declined_ = !dialogs_.confirm(
            warning + QCoreApplication::translate("frmGraph", "\n\n描画を始めますか？"));
        return declined_ ? Consent::Declined : Consent::Given;
    }
    // The run itself waits for the keys still held down to come up; nothing more to wait for.
    bool countDown(const DrawJobCountdown&) override { return true; }
    RunObserver* watch(bool) override {
        panels_.resetProgress();
        report_.emplace(window_, waitMs_,
                        [this](const RunProgress& progress) { panels_.showProgress(progress); });
        return &*report_;
    }
    // The window shows its plan in its own panels, before any run.
    bool showPlan(const DrawJobPlan&) override { return false; }
    void showResult(const DrawJobReport& report) override {
        SetStatusText(window_, 3, StrokeCountText(report.strokesDrawn));
    }

  private:
    frmGraph& window_;
    UserDialogs& dialogs_;
    RunPanels& panels_;
    std::int16_t waitMs_;
    std::optional<WindowRunReport> report_;
    bool declined_ = false;
};

}  // namespace

WindowRunControl::WindowRunControl(Parts parts)
    : p_(std::move(parts)),
      ownPicker_(std::make_unique<PointerPositionPicker>(p_.pointer)),
      picker_(ownPicker_.get()),
      clock_(&SystemClock()) {}

WindowRunControl::~WindowRunControl() = default;

WindowRunControl::ShownActivity WindowRunControl::shownActivity() const {
    return {p_.window.caption(), p_.window.statusPanel(2)};
}

void WindowRunControl::showActivity(const ShownActivity& shown) {
    p_.window.setCaption(shown.caption);
    SetStatusText(p_.window, 2, shown.activity);
}

void WindowRunControl::start() {
    if (!p_.runState.allows(UserCommand::StartRun)) {
        return;
    }
    p_.controls.picSRC->commit();
    const ShownActivity before = shownActivity();
    SetCaptionTag(p_.window, QCoreApplication::translate("frmGraph", "[処理開始]"));
    SetStatusText(p_.window, 2, QCoreApplication::translate("frmGraph", "処理開始"));
    const OriginCheck origin =
        CheckOrigin(p_.controls.txtStartX->text(), p_.controls.txtStartY->text(),
                    p_.pointer.primaryScreenSize());
    if (!origin.ok) {
        showActivity(before);
        p_.dialogs.message(origin.message);
        return;
    }
    runRequested(RunRequest(p_.controls.picSRC->persistentImage(), origin.origin, p_.settings()),
                 before);
}

void WindowRunControl::resume() {
    if (!p_.runState.allows(UserCommand::ResumeRun) || !p_.runState.resumable()) {
        return;
    }
    p_.controls.picSRC->commit();
    runRequested(RunRequest(p_.runState, p_.settings()), shownActivity());
}

void WindowRunControl::runRequested(RunRequest request, const ShownActivity& before) {
    frmGraph& window = p_.window;
    const std::int16_t waitMs = request.settings().WaitTime;
    WindowRunFace face(window, p_.dialogs, p_.panels, waitMs);
    const DrawJobOutcome outcome =
        RunDrawJob(std::move(request),
                   {{&p_.pointer, {}, screen_},
                    p_.runState,
                    *clock_,
                    [&window] {
                        // The run compares it with the desktop pixels it reads; Qt places windows
                        // in logical ones.
                        return window.screen() != nullptr
                                   ? DesktopCover(*window.screen(), window.frameGeometry())
                                   : window.frameGeometry();
                    }},
                   face);
    if (outcome.refusal) {
        if (outcome.refusal->reason == RunRefusal::Reason::NothingToDraw) {
            // As a run without line pixels would end: at once, having drawn nothing.
            p_.panels.resetProgress();
            ClearCheckPanel(window);
            WindowRunReport(window, waitMs).phaseChanged(RunPhase::Completed);
            SetStatusText(window, 3, StrokeCountText(0));
        } else {
            showActivity(before);
            p_.dialogs.message(outcome.message);
        }
    } else if (face.declined()) {
        showActivity(before);
    } else if (outcome.end == DrawJobOutcome::End::Failed && !outcome.message.isEmpty()) {
        // The run failed; it released the button and ended before the error reached here.
        p_.dialogs.message(outcome.message);
    }
    if (closeAfterRun_) {
        window.close();
    }
}

void WindowRunControl::captureOrigin() {
    // A pick's overlay would take the strokes of the run; reading where the pointer stands
    // takes nothing.
    const UserCommand command = p_.pointer.limits().canReadPosition() ? UserCommand::CaptureOrigin
                                                                      : UserCommand::PickOnScreen;
    if (!p_.runState.allows(command)) {
        return;
    }
    picker_->pick(
        [this, alive = QPointer<frmGraph>(&p_.window),
         focus = QPointer<QWidget>(p_.window.focusWidget())](const PointPicker::Result& picked) {
            if (alive == nullptr) {
                return;
            }
            giveFocusBack(focus);
            if (!picked.error.isEmpty()) {
                p_.dialogs.message(picked.error);
            }
            if (picked.point) {
                takeOrigin(*picked.point);
            }
        });
}

void WindowRunControl::pickArea() {
    p_.placement.pickArea(
        [this, alive = QPointer<frmGraph>(&p_.window),
         focus = QPointer<QWidget>(p_.window.focusWidget())](std::optional<QPoint> origin) {
            if (alive == nullptr) {
                return;
            }
            giveFocusBack(focus);
            if (origin) {
                takeOrigin(*origin);
            }
        });
}

void WindowRunControl::giveFocusBack(QWidget* focus) {
    // A pick on the screen's still took the keyboard.
    if (!p_.window.isActiveWindow() && p_.window.isVisible()) {
        p_.window.activateWindow();
    }
    if (focus != nullptr && focus->isVisible() && focus->isEnabled()) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

void WindowRunControl::takeOrigin(QPoint point) {
    SetCaptionTag(p_.window, QCoreApplication::translate("frmGraph", "[座標取得]"));
    SetStatusText(p_.window, 2, QCoreApplication::translate("frmGraph", "座標を取得"));
    p_.controls.txtStartX->setText(QString::number(point.x()));
    p_.controls.txtStartY->setText(QString::number(point.y()));
    p_.placement.showOutline(
        RunRequest(p_.controls.picSRC->persistentImage(), point, p_.settings()).bounds());
}

}  // namespace stylorex
