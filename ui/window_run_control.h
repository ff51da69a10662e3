#pragma once

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace stylorex {

class MonotonicClock;
class PicturePlacement;
class PointPicker;
class PointerDevice;
class RunPanels;
class RunRequest;
class RunState;
class ScreenReader;
class UserDialogs;
class frmGraph;
struct MainWindowControls;
struct RunSettings;

// The window's runs: started and resumed as draw jobs (run/draw_job.h) with the window as their
// face, which shows their refusal, asks where Esc cannot stop them and reports them in the
// window; and their origin, typed, captured where the pointer stands (Ctrl+G) or picked on the
// screen.
class WindowRunControl {
  public:
    struct Parts {
        frmGraph& window;
        MainWindowControls& controls;
        PointerDevice& pointer;
        RunState& runState;
        UserDialogs& dialogs;
        RunPanels& panels;
        PicturePlacement& placement;
        // The settings a run starts with, as the window holds them now.
        std::function<RunSettings()> settings;
    };
    explicit WindowRunControl(Parts parts);
    ~WindowRunControl();

    // The screen the runs read back, the clock they wait by, the picker Ctrl+G asks; see the
    // window's setters.
    void setScreenReader(ScreenReader* screen) { screen_ = screen; }
    void setClock(MonotonicClock& clock) { clock_ = &clock; }
    void setPointPicker(PointPicker& picker) { picker_ = &picker; }
    PointPicker& pointPicker() { return *picker_; }

    // "処理": a run of the committed picture at the typed origin; refused during a run.
    void start();
    // "続きを描く": the run stopped last goes on; refused during a run.
    void resume();
    // Ctrl+G: the picker's point becomes the origin.
    void captureOrigin();
    // "描画範囲を選ぶ": the origin, or the origin and the size the picture is fitted to.
    void pickArea();

    // The window closes once the run in progress has ended.
    void closeAfterRun() { closeAfterRun_ = true; }

  private:
    // The caption and status panel 2 before a command said "[処理開始]": a refused start puts
    // them back.
    struct ShownActivity {
        QString caption;
        QString activity;
    };
    ShownActivity shownActivity() const;
    void showActivity(const ShownActivity& shown);
    // What the start and the resume share: the request made ready or refused (the caption and
    // panel 2 back to `before` then), the run, then its error or its stroke count.
    void runRequested(RunRequest request, const ShownActivity& before);
    // After a pick, answered or not: the window active again and `focus` (the control that had
    // the focus before it, when still there) with the focus, so that Ctrl+Z (which a line edit
    // would take for its own undo) and Tab do what they did before the pick.
    void giveFocusBack(QWidget* focus);
    // The origin fields take `point`, and the outline of where the line pixels will land shows
    // for a moment.
    void takeOrigin(QPoint point);

    Parts p_;
    std::unique_ptr<PointPicker> ownPicker_;
    PointPicker* picker_;
    ScreenReader* screen_ = nullptr;
    MonotonicClock* clock_;
    bool closeAfterRun_ = false;
};

}  // namespace stylorex
