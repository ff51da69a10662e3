#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "common/program_message.h"
#include "common/setting_limits.h"
#include "os/pointer_device.h"
#include "os/program_folder.h"
#include "patterns/pattern_library.h"
#include "run/palette_settings.h"
#include "run/run_request.h"
#include "settings/language.h"
#include "ui/colour_view.h"
#include "ui/dlg_palette.h"
#include "ui/dlg_setting.h"
#include "ui/frm_about.h"
#include "ui/frm_graph_layout.h"
#include "ui/menu_bar_item_keys.h"
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
#include "ui/window_placement.h"
#include "ui/window_run_control.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <type_traits>
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
      programFolder_(ProgramFolder()),
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
    connectCommands();

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
    for (const auto& [command, action] : lockedActions_) {
        action->setEnabled(runState_.allows(command));
    }
    for (const auto& [command, button] : lockedButtons_) {
        button->setEnabled(runState_.allows(command));
    }
    ui_->picSRC->setAcceptDrops(runState_.allows(UserCommand::DropPicture));
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

void frmGraph::connectCommands() {
    const MainWindowControls& c = *ui_;
    // The picture follows the scroll bars, also while a thumb is dragged.
    connect(c.HBar, &ViewportScrollBar::signedValueChanged, this,
            [this](int value) { ui_->picSRC->move(value, ui_->picSRC->y()); });
    connect(c.VBar, &ViewportScrollBar::signedValueChanged, this,
            [this](int value) { ui_->picSRC->move(ui_->picSRC->x(), value); });

    // Each command's menu item or button acts only while RunAllows lets it (a shortcut or a
    // queued click can reach it during a run all the same), and a run disables it. "処理" stays
    // enabled, refused by the start instead: it holds the keyboard focus during the run it
    // started, and a disabled button would pass the focus on, away from where the user presses
    // Enter for the next run.
    const auto command = [this](UserCommand what, auto* control, std::function<void()> act) {
        const auto guarded = [this, what, act] {
            if (runState_.allows(what)) {
                act();
            }
        };
        if constexpr (std::is_same_v<decltype(control), QAction*>) {
            lockedActions_.emplace_back(what, control);
            connect(control, &QAction::triggered, this, guarded);
        } else {
            lockedButtons_.emplace_back(what, control);
            connect(control, &QPushButton::clicked, this, guarded);
        }
    };
    command(UserCommand::ClearPicture, c.cmdClear, [this] { clearPictureCommand(); });
    command(UserCommand::LoadPicture, c.cmdload, [this] { loadPictureCommand(); });
    command(UserCommand::PastePicture, c.cmdPaste, [this] { pastePictureCommand(); });
    command(UserCommand::StorePattern, c.cmdFixedStore, [this] { storePatternCommand(); });
    command(UserCommand::LoadPattern, c.cmdFixedLoad, [this] { loadPatternCommand(); });
    // The painter's own buttons, which it connects itself.
    lockedButtons_.emplace_back(UserCommand::PaintOnCanvas, c.cmdDrawZtxt[0]);
    lockedButtons_.emplace_back(UserCommand::PaintOnCanvas, c.cmdDrawZtxt[1]);
    lockedButtons_.emplace_back(UserCommand::PainterFont, c.cmdfont);
    connect(c.cmdStart, &QPushButton::clicked, this, &frmGraph::startCommand);
    // Enter on "処理" (see eventFilter).
    c.cmdStart->installEventFilter(this);
    new MenuBarItemKeys(*menuBar(), *c.mnu_version);

    command(UserCommand::LoadPicture, c.mnu_m[1], [this] { loadPictureCommand(); });
    command(UserCommand::PastePicture, c.mnu_m[2], [this] { pastePictureCommand(); });
    command(UserCommand::ClearPicture, c.mnu_m[3], [this] { clearPictureCommand(); });
    command(UserCommand::ExtractionSettings, c.mnu_s[0], [this] { openExtractionSettings(); });
    command(UserCommand::Palette, c.mnu_palette, [this] { openPalette(); });
    connect(c.mnu_japanese, &QAction::triggered, this,
            [this] { chooseLanguage(kLanguageJapanese); });
    connect(c.mnu_english, &QAction::triggered, this, [this] { chooseLanguage(kLanguageEnglish); });
    for (int i = 0; i < 3; ++i) {
        command(UserCommand::CanvasSize, c.mnu_canvas[i], [this, i] { canvasPreset(i); });
    }
    command(UserCommand::CanvasSize, c.mnu_canvas[3], [this] { customCanvasSizeCommand(); });
    command(UserCommand::About, c.mnu_version, [this] { openAbout(); });
    command(UserCommand::PickOnScreen, c.mnu_pickArea, [this] { pickAreaCommand(); });
    command(UserCommand::FitLoadPicture, c.mnu_fitLoad,
            [this] { placement_->loadFitted(settings_.LastPicture); });
    command(UserCommand::RefreshPicture, c.mnu_work, [this] { refreshPicture(); });
    command(UserCommand::SavePicture, c.mnu_saveAs, [this] { savePictureCommand(); });
    connect(c.mnu_followTarget, &QAction::toggled, this, [this](bool on) {
        settings_.FollowTarget = on;
        runPanels_->requestPlan();
    });
    connect(c.mnu_joinRuns, &QAction::toggled, this, [this](bool on) {
        settings_.JoinRuns = on;
        runPanels_->requestPlan();
    });
    connect(c.mnu_smooth, &QAction::toggled, this,
            [this](bool on) { settings_.SmoothScaling = on; });
    connect(c.mnu_s1Menu, &QMenu::triggered, runPanels_, &RunPanels::requestPlan);
    connect(c.mnu_resume, &QAction::triggered, this, &frmGraph::resumeCommand);
    connect(c.mnu_preview, &QAction::toggled, this, &frmGraph::showPreview);
    // Every change of the persistent image ends in a recorded step, an undo or a redo.
    connect(c.picSRC, &PictureBox::pictureChanged, this, &frmGraph::pictureChanged);
    connect(c.mnu_getpt, &QAction::triggered, this, &frmGraph::captureOrigin);
    connect(placement_, &PicturePlacement::canvasResized, this, &frmGraph::showCanvasSize);
    connect(c.mnu_undo, &QAction::triggered, this, &frmGraph::undoCommand);
    connect(c.mnu_redo, &QAction::triggered, this, &frmGraph::redoCommand);
    connect(c.picSRC, &PictureBox::historyChanged, this, &frmGraph::showHistory);
    connect(c.picSRC, &PictureBox::pictureFileDropped, this, &frmGraph::dropPictureFile);
    c.picSRC->setAcceptDrops(true);

    // Said at once, not only when the next run fails to start.
    pointer_.setIdleFaultListener([this](const QString& text) {
        QMetaObject::invokeMethod(
            this, [this, text] { dialogs_->message(text); }, Qt::QueuedConnection);
    });
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

QString frmGraph::settingsPath() const {
    return settingsPath_.isEmpty() ? SettingsFilePath(programFolder_) : settingsPath_;
}

QString frmGraph::settingsPathToRead() const {
    return settingsPath_.isEmpty() ? SettingsFileToRead(programFolder_) : settingsPath_;
}

void frmGraph::load() {
    // The start-up selections; the combo boxes' handlers run as for a user's choice.
    ui_->ListFixed->setCurrentRow(0);
    ui_->cmbMethod->setCurrentIndex(1);
    ui_->cmbDrawStyle->setCurrentIndex(0);
    // Mode 1 unless the settings say otherwise.
    settings_.PickUpPattern = 1;
    LoadSettings(settings_, *this, settingsPathToRead());
    // Saves and stores killed before their rename left temporary files beside their files.
    RemoveStaleSettingsTemporaries(programFolder_);
    RemoveStalePatternTemporaries(programFolder_);
    // txtInput shows its text in the face the text tool draws with.
    const QFont canvasFont = ui_->picSRC->font();
    QFont inputFont = ui_->txtInput->font();
    inputFont.setFamily(canvasFont.family());
    if (canvasFont.pointSizeF() > 0) {
        inputFont.setPointSizeF(canvasFont.pointSizeF());
    }
    inputFont.setBold(canvasFont.bold());
    inputFont.setItalic(canvasFont.italic());
    inputFont.setStrikeOut(canvasFont.strikeOut());
    inputFont.setUnderline(canvasFont.underline());
    ui_->txtInput->setFont(inputFont);
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
    unloadedSettings_ = UnloadedSettings::check(settingsPathToRead(), settings_, *this);
    if (unloadedSettings_) {
        PrintProgramMessage(unloadedSettings_->message());
        dialogs_->message(unloadedSettings_->message());
    }
}

PainterControls frmGraph::painterControls() {
    PainterControls controls;
    controls.picSRC = ui_->picSRC;
    controls.cmbMethod = ui_->cmbMethod;
    controls.cmbDrawStyle = ui_->cmbDrawStyle;
    controls.DWBar = ui_->DWBar;
    controls.FramLine = ui_->FramLine;
    controls.LineView = ui_->LineView;
    controls.lblforecol = ui_->lblforecol;
    controls.txtChar = ui_->txtChar;
    controls.txtInput = ui_->txtInput;
    controls.txtTextOut[0] = ui_->txtTextOut[0];
    controls.txtTextOut[1] = ui_->txtTextOut[1];
    controls.txtAngle = ui_->txtAngle;
    controls.cmdfont = ui_->cmdfont;
    controls.cmdDrawZtxt[0] = ui_->cmdDrawZtxt[0];
    controls.cmdDrawZtxt[1] = ui_->cmdDrawZtxt[1];
    controls.mnu_menu1 = ui_->mnu_menu1;
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

QString frmGraph::inputText() const {
    return ui_->txtInput->toPlainText();
}

void frmGraph::setInputText(const QString& text) {
    ui_->txtInput->setPlainText(text);
}

QFont frmGraph::pictureFont() const {
    return ui_->picSRC->font();
}

void frmGraph::setPictureFont(const QFont& font) {
    ui_->picSRC->setFont(font);
}

bool frmGraph::fontTransparent() const {
    return ui_->picSRC->FontTransparent();
}

void frmGraph::setFontTransparent(bool on) {
    ui_->picSRC->setFontTransparent(on);
}

void frmGraph::processEvents() {
    QCoreApplication::processEvents();
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
    context.programFolder = programFolder_;
    StorePattern(context, static_cast<std::int16_t>(ui_->ListFixed->currentRow()));
}

void frmGraph::loadPatternCommand() {
    PatternContext context(*ui_->picSRC, *this, *dialogs_, runState_);
    context.programFolder = programFolder_;
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
    if (unloadedSettings_ && !unloadedSettings_->changed(settings_, *this)) {
        return;  // the file that could not be loaded stays as it is
    }
    const QString path = settingsPath();
    QString why;
    if (!SaveSettings(settings_, *this, path, SystemFileWriter(), &why)) {
        // The settings would be lost without a word; a signal's close has no one to answer a box.
        QString text = tr("設定を保存できませんでした\n") + path;
        if (!why.isEmpty()) {
            text += tr("（%1）").arg(why);
        }
        if (closingOnSignal_) {
            PrintProgramMessage(text);
        } else {
            dialogs_->message(text);
        }
    }
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

bool frmGraph::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->cmdStart && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat()) {
                ui_->cmdStart->click();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace stylorex
