#pragma once

#include "common/window_text.h"
#include "engine/run_state.h"
#include "painter/painter.h"
#include "settings/persistent_settings.h"
#include "ui/window_settings_file.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace stylorex {

class MonotonicClock;
class PicturePlacement;
class PointPicker;
class PointerDevice;
class RunPanels;
class ScreenReader;
struct RunSettings;
class UserDialogs;
class WaitMenu;
class WindowCommands;
class WindowPlacement;
class WindowRunControl;
struct MainWindowControls;

// The program's only working window. It owns every control, the canvas, the setting variables
// and the run state. Its controls are its own (ui/frm_graph_layout.h builds them); each carries
// its name as its object name, by which tests find it.
class frmGraph : public QMainWindow, public WindowText {
    Q_OBJECT
  public:
    // `pointer` serves the live position, the origin capture and the drawing runs; `dialogs`
    // shows every message (null: the Qt message boxes). Both must outlive the window.
    explicit frmGraph(PointerDevice& pointer, UserDialogs* dialogs = nullptr,
                      QWidget* parent = nullptr);
    ~frmGraph() override;

    // Where load reads and unload writes the settings when set; otherwise load reads
    // SettingsFileToRead() and unload writes SettingsFilePath() of the program folder.
    void setSettingsPath(const QString& path) { settingsFile_->setPath(path); }
    QString settingsPath() const { return settingsFile_->path(); }
    QString settingsPathToRead() const { return settingsFile_->pathToRead(); }
    // The screen read back for the runs' follow mode and check, the screen pick and the outline
    // (null: none of them); it must outlive the window.
    void setScreenReader(ScreenReader* screen);
    // The folder that holds the settings file and the stored patterns while it can be written;
    // the executable's (ProgramFolder()) unless set.
    void setProgramFolder(const QString& folder) { settingsFile_->setProgramFolder(folder); }
    // The clock the runs wait and report their progress by; the system's unless set. It must
    // outlive the window.
    void setClock(MonotonicClock& clock);
    // How Ctrl+G learns the origin: the session's (os/session_choice.h); where the pointer stands
    // unless set. It must outlive the window.
    void setPointPicker(PointPicker& picker);

    // The start-up sequence. Call once, after the painter has connected to the controls and
    // before the first show.
    void load();
    // SIGINT, SIGTERM and SIGHUP close the window this way: like the close box, but nothing
    // modal may wait for an answer.
    void closeOnSignal();
    // The process is ending with the window open (the platform exits when its connection to
    // the X server breaks): saves the settings as closing would, a failure told on stderr.
    void saveSettingsAtAbruptExit();

    PainterControls painterControls();
    // Null after the window has unloaded.
    Painter* painter() { return painter_.get(); }
    SettingVariables& settings() { return settings_; }
    const RunState& runState() const { return runState_; }
    UserDialogs& dialogs() { return *dialogs_; }
    WaitMenu& waitMenu() { return *waitMenu_; }
    PicturePlacement& placement() { return *placement_; }

    // WindowText
    QString caption() const override;
    void setCaption(const QString& caption) override;
    void setStatusPanel(int panel, const QString& text) override;
    void setStatusToolTip(int panel, const QString& text) override;
    QString statusPanel(int panel) const;

  public slots:
    // The start command (cmdStart); refused while a run is in progress.
    void startCommand();
    // "続きを描く": goes on with the run stopped last (RunState::resumable()); refused while a
    // run is in progress.
    void resumeCommand();
    // Ctrl+G: the point the picker gives (the pointer's position on X11, a point the user
    // clicks on Wayland) becomes the output origin; without one the origin stays as it was.
    void captureOrigin();
    // "描画範囲を選ぶ" (Ctrl+Shift+G): the origin, or the origin and the size the picture is
    // fitted to, picked on the screen.
    void pickAreaCommand();
    void timerTick();
    // Height first. A size of zero or less, or above 4096 (a damaged settings file), gives
    // 200 × 200.
    void SetCanvasSize(std::int16_t height, std::int16_t width);
    // The resize formulas on the window's outer size; nothing while minimised.
    void layOut();

  private slots:
    // The commands behind the menu items and buttons; which control runs which, and which of them
    // a run locks, is ui/window_commands.h's.

    // mnu_canvas(0) to (2).
    void canvasPreset(int index);
    void openExtractionSettings();
    // "パレット": the target's swatches (ui/dlg_palette.h); refused while a run is in progress.
    void openPalette();
    void openAbout();
    // Keeps the language chosen in the menu (kLanguageJapanese, kLanguageEnglish) for the next
    // start.
    void chooseLanguage(std::int32_t choice);
    // mnu_work: repaint the picture from its persistent image.
    void refreshPicture();
    void loadPictureCommand();
    void pastePictureCommand();
    void clearPictureCommand();
    void customCanvasSizeCommand();
    void storePatternCommand();
    void loadPatternCommand();
    // Undo and redo of the picture (Ctrl+Z, Ctrl+Y), refused while a run is in progress.
    void undoCommand();
    void redoCommand();
    // "名前を付けて保存": the persistent image into a picture file.
    void savePictureCommand();
    // A picture file dropped onto the canvas loads as the load command's choice would.
    void dropPictureFile(const QString& path);

    // Disables (running) or enables again the controls of the commands a run locks.
    void showRunInProgress(bool running);
    // Undo and redo are enabled while there is a step and no run is in progress.
    void showHistory();
    // "続きを描く" is enabled while the state can resume and no run is in progress; panel 2 says
    // so while it tells of the stopped run.
    void showResumable();
    // A change of the picture: the plan and the preview are made again, a stopped run is no
    // longer resumed, and the last run's progress and check no longer stand.
    void pictureChanged();
    // The persistent image or a setting the run reads changed: what a stopped run left no longer
    // matches (`forgetsRun`), and the plan and the preview are made again.
    void runInputChanged(bool forgetsRun);
    // The extraction preview on the canvas, from the extraction the dialog shows while it is
    // open, else from the settings; nothing while "抽出プレビュー" is off.
    void showPreview();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Wires the commands to their controls.
    friend class WindowCommands;
    // The canvas size in the settings and status panel 4, the picture in the viewport's corner.
    void showCanvasSize();
    // After an undo or redo: the canvas size when it changed.
    void showRestoredPicture(QSize sizeBefore);
    void unload();
    RunSettings currentRunSettings() const;
    PointerDevice& pointer_;
    ScreenReader* screen_ = nullptr;
    std::unique_ptr<MainWindowControls> ui_;
    QTimer* timer_ = nullptr;
    std::unique_ptr<UserDialogs> ownDialogs_;
    UserDialogs* dialogs_;
    // The file the save dialog offers next.
    QString lastSavedPictureFile_;
    SettingVariables settings_;
    // Read by load(), written by unload().
    std::unique_ptr<WindowSettingsFile> settingsFile_;
    RunState runState_;
    WaitMenu* waitMenu_ = nullptr;
    RunPanels* runPanels_ = nullptr;
    PicturePlacement* placement_ = nullptr;
    std::unique_ptr<WindowPlacement> windowPlace_;
    std::unique_ptr<WindowRunControl> runControl_;
    WindowCommands* commands_ = nullptr;
    // The settings the open extraction dialog shows, which the preview follows until it closes.
    std::optional<SettingVariables> shownSettings_;
    // Destroyed before the controls it drives and the run state it asks, and dropped at unload.
    std::unique_ptr<Painter> painter_;
    bool unloaded_ = false;
    bool closingOnSignal_ = false;
};

}  // namespace stylorex
