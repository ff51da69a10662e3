#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "common/program_message.h"
#include "common/setting_limits.h"
#include "os/pointer_device.h"
#include "patterns/pattern_library.h"
#include "run/palette_settings.h"
#include "run/run_request.h"
#include "settings/language.h"
#include "ui/colour_view.h"
#include "ui/dlg_palette.h"
#include "ui/dlg_setting.h"
#include "ui/frm_about.h"
#include "ui/frm_graph_layout.h"
#include "ui/picture_commands.h"
#include "ui/picture_placement.h"
#include "ui/program_icon.h"
#include "ui/qt_user_dialogs.h"
#include "ui/run_panels.h"
#include "ui/run_report.h"
#include "ui/screen_point_text.h"
#include "ui/status_panel.h"
#include "ui/viewport_scroll_bar.h"
#include "ui/wait_menu.h"
#include "ui/window_commands.h"
#include "ui/window_placement.h"
#include "ui/window_run_control.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

#include <functional>
#include <utility>

namespace stylorex {

namespace {

constexpr int kTimerIntervalMs = 100;

// Status panel 2 says "読込中…" while a picture loads, then what it said before, brought up
// to date by `after`.
LoadingNotice StatusPanelNotice(frmGraph& window, std::function<void()> after) {
    return [&window, after = std::move(after), before = QString()](bool loading) mutable {
        if (loading) {
            before = window.statusPanel(2);
        }
        SetStatusText(window, 2, loading ? LoadingStatusText() : before);
        if (!loading) {
            after();
        }
    };
}

}  // namespace

frmGraph::frmGraph(PointerDevice& pointer, UserDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent),
      pointer_(pointer),
      windowPlace_(std::make_unique<WindowPlacement>(*this)) {
    if (dialogs == nullptr) {
        ownDialogs_ = std::make_unique<QtUserDialogs>(this);
        dialogs = ownDialogs_.get();
    }
    dialogs_ = dialogs;

    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("Stylorex"));
    setWindowIcon(ProgramIcon());
    ui_ = std::make_unique<MainWindowControls>();
    BuildMainWindowControls(*this, *ui_);
    settingsFile_ = std::make_unique<WindowSettingsFile>(*ui_, settings_, *dialogs_);
    waitMenu_ = new WaitMenu(*ui_->mnu_s1Menu, settings_, this);
    runPanels_ = new RunPanels(
        *ui_->StatusBar2,
        [this] {
            return PlanInput{ui_->picSRC->persistentImage(), currentRunSettings()};
        },
        this);
    PicturePlacement::Controls placement;
    placement.picSRC = ui_->picSRC;
    placement.pointer = &pointer_;
    placement.statusBar = ui_->StatusBar1;
    placement.smooth = ui_->mnu_smooth;
    placement.dialogs = dialogs_;
    placement.dialogParent = this;
    placement.runState = &runState_;
    placement_ = new PicturePlacement(placement, this);
    runControl_ = std::make_unique<WindowRunControl>(
        WindowRunControl::Parts{*this, *ui_, pointer_, runState_, *dialogs_, *runPanels_,
                                *placement_, [this] { return currentRunSettings(); }});
    commands_ = new WindowCommands({*this, *ui_, *runPanels_, *placement_});
    // Said at once, not only when the next run fails to start.
    pointer_.setIdleFaultListener([this](const QString& text) {
        QMetaObject::invokeMethod(
            this, [this, text] { dialogs_->message(text); }, Qt::QueuedConnection);
    });

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kTimerIntervalMs);
    connect(timer_, &QTimer::timeout, this, &frmGraph::timerTick);
    timer_->start();

    painter_ = std::make_unique<Painter>(painterControls());
    connect(&runState_, &RunState::inProgressChanged, this, &frmGraph::showRunInProgress);
    connect(&runState_, &RunState::resumableChanged, this, &frmGraph::showResumable);
    showHistory();
    runPanels_->requestPlan();
}

void frmGraph::showRunInProgress(bool running) {
    commands_->showRunInProgress();
    showHistory();
    if (!running && runState_.lastResult().ending != RunResult::Ending::Completed) {
        // A completed run leaves its full bar in view; one stopped or failed leaves nothing
        // that would go on.
        runPanels_->resetProgress();
    }
    showResumable();
}

void frmGraph::showHistory() {
    ui_->mnu_undo->setEnabled(runState_.allows(UserCommand::Undo) && ui_->picSRC->canUndo());
    ui_->mnu_redo->setEnabled(runState_.allows(UserCommand::Redo) && ui_->picSRC->canRedo());
}

void frmGraph::showResumable() {
    const bool resumable = runState_.allows(UserCommand::ResumeRun) && runState_.resumable();
    ui_->mnu_resume->setEnabled(resumable);
    // The emptied progress bar says how to go on while the stopped run can.
    runPanels_->showResumeHint(resumable &&
                               runState_.lastResult().ending == RunResult::Ending::Aborted);
}

void frmGraph::pictureChanged() {
    runInputChanged(true);
    runPanels_->resetProgress();
    ClearCheckPanel(*this);
}

void frmGraph::runInputChanged(bool forgetsRun) {
    if (forgetsRun) {
        runState_.forgetResumableRun();
    }
    runPanels_->requestPlan();
    showPreview();
}

void frmGraph::showPreview() {
    if (!ui_->mnu_preview->isChecked()) {
        ui_->picSRC->setOverlay(QImage());
        return;
    }
    ui_->picSRC->setOverlay(RunPreview(ui_->picSRC->persistentImage(),
                                       RunSettingsOf(shownSettings_.value_or(settings_))));
}

frmGraph::~frmGraph() {
    // The pointer may outlive the window.
    pointer_.setIdleFaultListener({});
}

void frmGraph::setClock(MonotonicClock& clock) {
    runControl_->setClock(clock);
}

void frmGraph::setPointPicker(PointPicker& picker) {
    runControl_->setPointPicker(picker);
}

void frmGraph::setScreenReader(ScreenReader* screen) {
    screen_ = screen;
    placement_->setScreenReader(screen);
    runControl_->setScreenReader(screen);
}

void frmGraph::load() {
    // The start-up selections; the combo boxes' handlers run as for a user's choice.
    ui_->ListFixed->setCurrentRow(0);
    ui_->cmbMethod->setCurrentIndex(1);
    ui_->cmbDrawStyle->setCurrentIndex(0);
    // Mode 1 unless the settings say otherwise.
    settings_.PickUpPattern = 1;
    settingsFile_->read();
    // The saved canvas size, then what the settings say in the status bar and the menus.
    SetCanvasSize(settings_.CanvasHeight, settings_.CanvasWidth);
    SetStatusText(*this, 1, StartupExtractionModeText(settings_));
    waitMenu_->showStartupWait();
    SetStatusText(*this, 2, tr("Wait: %1ms").arg(settings_.WaitTime));
    ui_->mnu_followTarget->setChecked(settings_.FollowTarget);
    ui_->mnu_joinRuns->setChecked(settings_.JoinRuns);
    ui_->mnu_smooth->setChecked(settings_.SmoothScaling);
    (CurrentLanguage() == Language::English ? ui_->mnu_english : ui_->mnu_japanese)
        ->setChecked(true);
    // The picture in the viewport's corner, and the window where it was closed last.
    ui_->picSRC->move(0, 0);
    UpdateScrollRanges(*ui_);
    windowPlace_->placeAtStart(QRect(settings_.WindowLeft, settings_.WindowTop,
                                     settings_.WindowWidth, settings_.WindowHeight));
    // Undo goes back as far as the picture the window opens with.
    ui_->picSRC->clearHistory();
    runPanels_->requestPlan();
    settingsFile_->sayIfUnread();
}

PainterControls frmGraph::painterControls() {
    PainterControls controls = PainterControlsOf(*ui_);
    controls.dialogs = dialogs_;
    controls.runState = &runState_;
    return controls;
}

QString frmGraph::caption() const {
    return windowTitle();
}

void frmGraph::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void frmGraph::setStatusPanel(int panel, const QString& text) {
    if (panel >= 1 && panel <= static_cast<int>(ui_->panels.size())) {
        ui_->panels[panel - 1]->setWholeText(text);
    }
}

void frmGraph::setStatusToolTip(int panel, const QString& text) {
    if (panel >= 1 && panel <= static_cast<int>(ui_->panels.size())) {
        ui_->panels[panel - 1]->setDetails(text);
    }
}

QString frmGraph::statusPanel(int panel) const {
    if (panel >= 1 && panel <= static_cast<int>(ui_->panels.size())) {
        return ui_->panels[panel - 1]->wholeText();
    }
    return {};
}

void frmGraph::startCommand() {
    runControl_->start();
}

void frmGraph::resumeCommand() {
    runControl_->resume();
}

RunSettings frmGraph::currentRunSettings() const {
    return RunSettingsOf(settings_);
}

void frmGraph::captureOrigin() {
    runControl_->captureOrigin();
}

void frmGraph::pickAreaCommand() {
    runControl_->pickArea();
}

void frmGraph::timerTick() {
    const QString position = LiveScreenPointText(pointer_);
    ui_->lblScreenPoint->setText(position);
    ui_->lblScreenPoint->setToolTip(position);
}

void frmGraph::SetCanvasSize(std::int16_t height, std::int16_t width) {
    if (height <= 0 || width <= 0 || height > kLargestStoredCanvasSide ||
        width > kLargestStoredCanvasSide) {
        height = kDefaultCanvasSide;
        width = kDefaultCanvasSide;
    }
    ui_->picSRC->setCanvasSize(width, height);
    showCanvasSize();
}

void frmGraph::showCanvasSize() {
    // The picture goes back to the viewport's corner, and the bars say so.
    ui_->HBar->setSignedValue(0);
    ui_->VBar->setSignedValue(0);
    ui_->picSRC->move(0, 0);
    UpdateScrollRanges(*ui_);
    settings_.CanvasHeight = static_cast<std::int16_t>(ui_->picSRC->ScaleHeight());
    settings_.CanvasWidth = static_cast<std::int16_t>(ui_->picSRC->ScaleWidth());
    SetStatusText(*this, 4,
                  tr("canvas:%1*%2").arg(settings_.CanvasHeight).arg(settings_.CanvasWidth));
}

void frmGraph::layOut() {
    if (isMinimized()) {
        return;
    }
    LayOutMainWindow(*ui_, frameGeometry().size());
}

void frmGraph::canvasPreset(int index) {
    // The third caption says 460; the largest canvas is 480 high.
    if (index >= 0 && index < static_cast<int>(kCanvasPresets.size())) {
        const QSize size = kCanvasPresets[static_cast<std::size_t>(index)];
        SetCanvasSize(static_cast<std::int16_t>(size.height()),
                      static_cast<std::int16_t>(size.width()));
    }
}

void frmGraph::openExtractionSettings() {
    const SettingVariables before = settings_;
    dlgSetting dialog(settings_, *this, this);
    connect(&dialog, &dlgSetting::shownSettingsChanged, this,
            [this](const SettingVariables& shown) {
                shownSettings_ = shown;
                showPreview();
            });
    connect(&dialog, &dlgSetting::paletteRequested, this, &frmGraph::openPalette);
    dialog.exec();
    shownSettings_.reset();
    const RunSettings was = RunSettingsOf(before);
    const RunSettings now = currentRunSettings();
    runInputChanged(now.extraction.PickUpPattern != was.extraction.PickUpPattern ||
                    now.extraction.BlackUpper != was.extraction.BlackUpper ||
                    now.colour != was.colour);
}

void frmGraph::chooseLanguage(std::int32_t choice) {
    settings_.LanguageChoice = choice;
    const Language chosen = choice == kLanguageEnglish ? Language::English : Language::Japanese;
    if (chosen != CurrentLanguage()) {
        dialogs_->message(tr("言語は次の起動から切り替わります。"));
    }
}

void frmGraph::openPalette() {
    dlgPalette dialog(SavedPalette(settings_), runControl_->pointPicker(), screen_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const Palette before = SavedPalette(settings_);
    StorePalette(dialog.palette(), settings_);
    runInputChanged(SavedPalette(settings_) != before);
}

void frmGraph::openAbout() {
    frmAbout about(this);
    about.exec();
}

void frmGraph::refreshPicture() {
    ui_->picSRC->Refresh();
}

void frmGraph::loadPictureCommand() {
    LoadPictureFromDialog(*ui_->picSRC, settings_.LastPicture, this, *dialogs_,
                          StatusPanelNotice(*this, [this] { showResumable(); }));
}

void frmGraph::pastePictureCommand() {
    PastePicture(*ui_->picSRC, *dialogs_, StatusPanelNotice(*this, [this] { showResumable(); }));
}

void frmGraph::clearPictureCommand() {
    ClearPicture(*ui_->picSRC);
}

void frmGraph::customCanvasSizeCommand() {
    if (const std::optional<QSize> size = AskCustomCanvasSize(*dialogs_)) {
        SetCanvasSize(static_cast<std::int16_t>(size->height()),
                      static_cast<std::int16_t>(size->width()));
    }
}

void frmGraph::undoCommand() {
    if (!runState_.allows(UserCommand::Undo)) {
        return;
    }
    const QSize before = ui_->picSRC->size();
    if (ui_->picSRC->undo()) {
        showRestoredPicture(before);
    }
}

void frmGraph::redoCommand() {
    if (!runState_.allows(UserCommand::Redo)) {
        return;
    }
    const QSize before = ui_->picSRC->size();
    if (ui_->picSRC->redo()) {
        showRestoredPicture(before);
    }
}

void frmGraph::showRestoredPicture(QSize sizeBefore) {
    if (ui_->picSRC->size() != sizeBefore) {
        showCanvasSize();
    }
}

void frmGraph::savePictureCommand() {
    SavePictureFromDialog(ui_->picSRC->persistentImage(), lastSavedPictureFile_, *dialogs_, this);
}

void frmGraph::dropPictureFile(const QString& path) {
    if (!runState_.allows(UserCommand::DropPicture)) {
        return;
    }
    LoadPictureFile(*ui_->picSRC, path, *dialogs_,
                    StatusPanelNotice(*this, [this] { showResumable(); }));
}

void frmGraph::storePatternCommand() {
    PatternContext context(*ui_->picSRC, *this, *dialogs_, runState_);
    context.programFolder = settingsFile_->programFolder();
    StorePattern(context, static_cast<std::int16_t>(ui_->ListFixed->currentRow()));
}

void frmGraph::loadPatternCommand() {
    PatternContext context(*ui_->picSRC, *this, *dialogs_, runState_);
    context.programFolder = settingsFile_->programFolder();
    LoadPattern(context, static_cast<std::int16_t>(ui_->ListFixed->currentRow()));
}

void frmGraph::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    windowPlace_->windowMovedOrResized();
    layOut();
}

void frmGraph::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    windowPlace_->windowMovedOrResized();
    // The window manager's frame may arrive after the first resize; the outer size counts.
    layOut();
}

void frmGraph::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    windowPlace_->windowShown();
    layOut();
}

void frmGraph::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        layOut();
    }
}

void frmGraph::closeEvent(QCloseEvent* event) {
    if (runState_.inProgress()) {
        // The run stops at its next move and releases the button; the window closes after.
        runState_.requestStop();
        runControl_->closeAfterRun();
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unload();
    }
    event->accept();
    QCoreApplication::quit();
}

void frmGraph::unload() {
    unloaded_ = true;
    painter_.reset();
    timer_->stop();
    const QRect place = windowPlace_->placeToKeep();
    settings_.WindowLeft = place.x();
    settings_.WindowTop = place.y();
    settings_.WindowWidth = place.width();
    settings_.WindowHeight = place.height();
    settingsFile_->write(closingOnSignal_);
}

void frmGraph::closeOnSignal() {
    closingOnSignal_ = true;
    close();
}

void frmGraph::saveSettingsAtAbruptExit() {
    if (!unloaded_) {
        closingOnSignal_ = true;
        unload();
    }
}

}  // namespace stylorex
