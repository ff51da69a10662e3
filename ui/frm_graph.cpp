#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "common/setting_limits.h"
#include "desktop/desktop_pixels.h"
#include "engine/drawing_run.h"
#include "engine/origin_capture.h"
#include "os/point_picker.h"
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
#include "ui/picture_commands.h"
#include "ui/picture_placement.h"
#include "ui/program_icon.h"
#include "ui/qt_user_dialogs.h"
#include "ui/run_panels.h"
#include "ui/run_report.h"
#include "ui/status_panel.h"
#include "ui/viewport_scroll_bar.h"
#include "ui/wait_menu.h"
#include "ui/window_placement.h"

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
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcutEvent>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <functional>
#include <utility>
#include <variant>

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
      ownPointPicker_(std::make_unique<PointerPositionPicker>(pointer)),
      pointPicker_(ownPointPicker_.get()),
      programFolder_(ProgramFolder()),
      windowPlace_(std::make_unique<WindowPlacement>(*this)),
      clock_(&SystemClock()) {
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
    for (QAction* action :
         {ui_->mnu_m[1], ui_->mnu_m[2], ui_->mnu_m[3], ui_->mnu_fitLoad, ui_->mnu_pickArea,
          ui_->mnu_s[0], ui_->mnu_canvas[0], ui_->mnu_canvas[1], ui_->mnu_canvas[2],
          ui_->mnu_canvas[3], ui_->mnu_version, ui_->mnu_work, ui_->mnu_saveAs, ui_->mnu_palette}) {
        action->setEnabled(!running);
    }
    ui_->picSRC->setAcceptDrops(!running);
    showHistory();
    if (!running && runState_.lastResult().ending != RunResult::Ending::Completed) {
        // A completed run leaves its full bar in view; one stopped or failed leaves nothing
        // that would go on.
        runPanels_->resetProgress();
    }
    showResumable();
    // "処理" stays enabled, refused by startCommand instead: it holds the keyboard focus during
    // the run it started, and a disabled button would pass the focus on, away from where the
    // user presses Enter for the next run.
    for (QPushButton* button :
         {ui_->cmdClear, ui_->cmdload, ui_->cmdPaste, ui_->cmdFixedStore, ui_->cmdFixedLoad,
          ui_->cmdDrawZtxt[0], ui_->cmdDrawZtxt[1], ui_->cmdfont}) {
        button->setEnabled(!running);
    }
}

void frmGraph::showHistory() {
    const bool idle = !runState_.inProgress();
    ui_->mnu_undo->setEnabled(idle && ui_->picSRC->canUndo());
    ui_->mnu_redo->setEnabled(idle && ui_->picSRC->canRedo());
}

void frmGraph::showResumable() {
    const bool resumable = !runState_.inProgress() && runState_.resumable();
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

    connect(c.cmdClear, &QPushButton::clicked, this, &frmGraph::clearPictureCommand);
    connect(c.cmdload, &QPushButton::clicked, this, &frmGraph::loadPictureCommand);
    connect(c.cmdPaste, &QPushButton::clicked, this, &frmGraph::pastePictureCommand);
    connect(c.cmdFixedStore, &QPushButton::clicked, this, &frmGraph::storePatternCommand);
    connect(c.cmdFixedLoad, &QPushButton::clicked, this, &frmGraph::loadPatternCommand);
    connect(c.cmdStart, &QPushButton::clicked, this, &frmGraph::startCommand);
    // Enter on "処理" (see eventFilter).
    c.cmdStart->installEventFilter(this);
    // Alt+V on "Version(&V)" (see eventFilter).
    menuBar()->installEventFilter(this);

    connect(c.mnu_m[1], &QAction::triggered, this, &frmGraph::loadPictureCommand);
    connect(c.mnu_m[2], &QAction::triggered, this, &frmGraph::pastePictureCommand);
    connect(c.mnu_m[3], &QAction::triggered, this, &frmGraph::clearPictureCommand);
    connect(c.mnu_s[0], &QAction::triggered, this, &frmGraph::openExtractionSettings);
    connect(c.mnu_palette, &QAction::triggered, this, &frmGraph::openPalette);
    connect(c.mnu_japanese, &QAction::triggered, this,
            [this] { chooseLanguage(kLanguageJapanese); });
    connect(c.mnu_english, &QAction::triggered, this, [this] { chooseLanguage(kLanguageEnglish); });
    for (int i = 0; i < 3; ++i) {
        connect(c.mnu_canvas[i], &QAction::triggered, this, [this, i] { canvasPreset(i); });
    }
    connect(c.mnu_canvas[3], &QAction::triggered, this, &frmGraph::customCanvasSizeCommand);
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
    connect(c.mnu_version, &QAction::triggered, this, &frmGraph::openAbout);
    connect(c.mnu_getpt, &QAction::triggered, this, &frmGraph::captureOrigin);
    connect(c.mnu_pickArea, &QAction::triggered, this, &frmGraph::pickAreaCommand);
    connect(c.mnu_fitLoad, &QAction::triggered, this,
            [this] { placement_->loadFitted(settings_.LastPicture); });
    connect(placement_, &PicturePlacement::canvasResized, this, &frmGraph::showCanvasSize);
    connect(c.mnu_work, &QAction::triggered, this, &frmGraph::refreshPicture);
    connect(c.mnu_undo, &QAction::triggered, this, &frmGraph::undoCommand);
    connect(c.mnu_redo, &QAction::triggered, this, &frmGraph::redoCommand);
    connect(c.mnu_saveAs, &QAction::triggered, this, &frmGraph::savePictureCommand);
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

void frmGraph::setScreenReader(ScreenReader* screen) {
    screen_ = screen;
    placement_->setScreenReader(screen);
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
        std::fprintf(stderr, "Stylorex: %s\n",
                     unloadedSettings_->message().toLocal8Bit().constData());
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
    if (runState_.inProgress()) {
        return;
    }
    ui_->picSRC->commit();
    const ShownActivity before{caption(), statusPanel(2)};
    SetCaptionTag(*this, tr("[処理開始]"));
    SetStatusText(*this, 2, tr("処理開始"));
    const OriginCheck origin =
        CheckOrigin(ui_->txtStartX->text(), ui_->txtStartY->text(), pointer_.primaryScreenSize());
    if (!origin.ok) {
        showActivity(before);
        dialogs_->message(origin.message);
        return;
    }

    runRequested(RunRequest(ui_->picSRC->persistentImage(), origin.origin, currentRunSettings()),
                 before);
}

void frmGraph::resumeCommand() {
    if (runState_.inProgress() || !runState_.resumable()) {
        return;
    }
    ui_->picSRC->commit();
    runRequested(RunRequest(runState_, currentRunSettings()), {caption(), statusPanel(2)});
}

void frmGraph::showActivity(const ShownActivity& shown) {
    setCaption(shown.caption);
    SetStatusText(*this, 2, shown.activity);
}

RunSettings frmGraph::currentRunSettings() const {
    return RunSettingsOf(settings_);
}

void frmGraph::runRequested(RunRequest request, const ShownActivity& before) {
    const std::int16_t waitMs = request.settings().WaitTime;
    std::variant<ReadyRun, RunRefusal> ready = std::move(request).ready({&pointer_, {}, screen_});
    if (const RunRefusal* refusal = std::get_if<RunRefusal>(&ready)) {
        if (refusal->reason == RunRefusal::Reason::NothingToDraw) {
            // As a run without line pixels would end: at once, having drawn nothing.
            runPanels_->resetProgress();
            ClearCheckPanel(*this);
            WindowRunReport(*this, waitMs).phaseChanged(RunPhase::Completed);
            SetStatusText(*this, 3, StrokeCountText(0));
        } else {
            showActivity(before);
            dialogs_->message(RefusalText(*refusal));
        }
        return;
    }
    // Asked only of a run that would start, a resumed one too.
    if (!pointer_.canWatchEsc()) {
        // The backend says how else its runs stop; where it knows no way, ending the program.
        QString howToStop = pointer_.stopAdvice();
        if (howToStop.isEmpty()) {
            howToStop =
                tr("途中で止めるには Stylorex を終了してください（起動した"
                   "端末で Ctrl+C、または kill）。");
        }
        if (!dialogs_->confirm(pointer_.whyEscCannotStop() + howToStop +
                               tr("\n\n描画を始めますか？"))) {
            showActivity(before);
            return;
        }
    }
    ReadyRun& run = std::get<ReadyRun>(ready);
    RunServices services = run.services(*clock_);
    services.ownWindow = [this] {
        // The run compares it with the desktop pixels it reads; Qt places windows in logical ones.
        return screen() != nullptr ? DesktopCover(*screen(), frameGeometry()) : frameGeometry();
    };
    runPanels_->resetProgress();
    WindowRunReport report(
        *this, waitMs, [this](const RunProgress& progress) { runPanels_->showProgress(progress); });
    services.observer = &report;

    std::int32_t strokes = 0;
    QString failure;
    try {
        strokes = run.draw(services, runState_);
    } catch (const std::exception& error) {
        // The run has released the button and ended before the error reached here.
        failure = QString::fromLocal8Bit(error.what());
    }

    if (!failure.isEmpty()) {
        dialogs_->message(failure);
    } else {
        SetStatusText(*this, 3, StrokeCountText(strokes));
    }
    if (closeAfterRun_) {
        close();
    }
}

void frmGraph::captureOrigin() {
    // A pick's overlay would take the strokes of the run.
    if (runState_.inProgress() && !pointer_.canReadPosition()) {
        return;
    }
    pointPicker_->pick(
        [this, alive = QPointer<frmGraph>(this),
         focus = QPointer<QWidget>(focusWidget())](const PointPicker::Result& picked) {
            if (alive == nullptr) {
                return;
            }
            giveFocusBack(focus);
            if (!picked.error.isEmpty()) {
                dialogs_->message(picked.error);
            }
            if (picked.point) {
                takeOrigin(*picked.point);
            }
        });
}

void frmGraph::pickAreaCommand() {
    placement_->pickArea([this, alive = QPointer<frmGraph>(this),
                          focus = QPointer<QWidget>(focusWidget())](std::optional<QPoint> origin) {
        if (alive == nullptr) {
            return;
        }
        giveFocusBack(focus);
        if (origin) {
            takeOrigin(*origin);
        }
    });
}

void frmGraph::giveFocusBack(QWidget* focus) {
    // A pick on the screen's still took the keyboard; the window gets it back, and the control
    // that had the focus keeps it, so that Ctrl+Z (which a line edit would take for its own
    // undo) and Tab do what they did before the pick.
    if (!isActiveWindow() && isVisible()) {
        activateWindow();
    }
    if (focus != nullptr && focus->isVisible() && focus->isEnabled()) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

void frmGraph::takeOrigin(QPoint point) {
    SetCaptionTag(*this, tr("[座標取得]"));
    SetStatusText(*this, 2, tr("座標を取得"));
    ui_->txtStartX->setText(QString::number(point.x()));
    ui_->txtStartY->setText(QString::number(point.y()));
    placement_->showOutline(
        RunRequest(ui_->picSRC->persistentImage(), point, currentRunSettings()).bounds());
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
    if (runState_.inProgress()) {
        return;
    }
    dlgPalette dialog(SavedPalette(settings_), *pointPicker_, screen_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const Palette before = SavedPalette(settings_);
    StorePalette(dialog.palette(), settings_);
    runInputChanged(SavedPalette(settings_) != before);
}

void frmGraph::openAbout() {
    // Disabled during a run: a modal box opened from a run's yield would hold the run, button
    // down, until it closes.
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
    if (runState_.inProgress()) {
        return;
    }
    const QSize before = ui_->picSRC->size();
    if (ui_->picSRC->undo()) {
        showRestoredPicture(before);
    }
}

void frmGraph::redoCommand() {
    if (runState_.inProgress()) {
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
    if (runState_.inProgress()) {
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
        closeAfterRun_ = true;
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
            std::fprintf(stderr, "Stylorex: %s\n", text.toLocal8Bit().constData());
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
    if (watched == menuBar() && versionKeys(*event)) {
        return true;
    }
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

bool frmGraph::versionKeys(QEvent& event) {
    // The menu bar would open the About box at once on Alt+V, and the Enter that the user then
    // presses, as for the menus beside it, would close it again before it was seen. Alt+V
    // selects "Version(&V)" as it selects a menu; Enter (or Space) opens the box, Esc leaves.
    QMenuBar* bar = menuBar();
    QAction* version = ui_->mnu_version;
    switch (event.type()) {
        case QEvent::Shortcut:
            if (static_cast<QShortcutEvent&>(event).key() ==
                    QKeySequence::mnemonic(version->text()) &&
                version->isEnabled()) {
                focusBeforeMenuBar_ = focusWidget();
                bar->setActiveAction(version);
                bar->setFocus(Qt::ShortcutFocusReason);
                return true;
            }
            return false;
        case QEvent::KeyPress: {
            if (bar->activeAction() != version) {
                return false;
            }
            const int key = static_cast<QKeyEvent&>(event).key();
            const bool open = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
            if (!open && key != Qt::Key_Escape) {
                return false;
            }
            bar->setActiveAction(nullptr);
            if (focusBeforeMenuBar_ != nullptr) {
                focusBeforeMenuBar_->setFocus(Qt::OtherFocusReason);
            }
            if (open) {
                version->trigger();
            }
            return true;
        }
        case QEvent::FocusOut:
            if (bar->activeAction() == version) {
                bar->setActiveAction(nullptr);
            }
            return false;
        default:
            return false;
    }
}

}  // namespace stylorex
