#pragma once

#include "common/window_text.h"
#include "engine/run_state.h"
#include "painter/painter.h"
#include "settings/persistent_settings.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTimer;

namespace stylorex {

class PictureBox;
class PointerDevice;
class UserDialogs;
class ViewportScrollBar;
class WaitMenu;

// The program's only working window. It owns every control, the canvas, the setting variables
// and the run state. Control members carry the controls' names; arrays are numbered from 0
// (the "元絵(&M)" items from 1, as their captions are numbered).
class frmGraph : public QMainWindow, public WindowText, public SettingsControls {
    Q_OBJECT
  public:
    // `pointer` serves the live position, the origin capture and the drawing runs; `dialogs`
    // shows every message (null: the Qt message boxes). Both must outlive the window.
    explicit frmGraph(PointerDevice& pointer, UserDialogs* dialogs = nullptr,
                      QWidget* parent = nullptr);
    ~frmGraph() override;

    // Where load reads and unload writes the settings; SettingsFilePath() unless set.
    void setSettingsPath(const QString& path) { settingsPath_ = path; }
    QString settingsPath() const;

    // The start-up sequence. Call once, after the painter has connected to the controls and
    // before the first show.
    void load();
    // SIGINT, SIGTERM and SIGHUP close the window this way: like the close box, but nothing
    // modal may wait for an answer.
    void closeOnSignal();

    PainterControls painterControls();
    // Null after the window has unloaded.
    Painter* painter() { return painter_.get(); }
    SettingVariables& settings() { return settings_; }
    const RunState& runState() const { return runState_; }
    UserDialogs& dialogs() { return *dialogs_; }
    WaitMenu& waitMenu() { return *waitMenu_; }

    // WindowText
    QString caption() const override;
    void setCaption(const QString& caption) override;
    void setStatusPanel(int panel, const QString& text) override;
    QString statusPanel(int panel) const;

    // SettingsControls
    QString inputText() const override;
    void setInputText(const QString& text) override;
    QFont pictureFont() const override;
    void setPictureFont(const QFont& font) override;
    bool fontTransparent() const override;
    void setFontTransparent(bool on) override;
    void processEvents() override;

    // The window's own controls.
    QFrame* FrameG = nullptr;
    PictureBox* picSRC = nullptr;
    QPlainTextEdit* txtChar = nullptr;
    ViewportScrollBar* VBar = nullptr;
    ViewportScrollBar* HBar = nullptr;
    QGroupBox* Frame1 = nullptr;
    QFrame* Frame2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* lblforecol = nullptr;

    // The painter panel.
    std::array<QLabel*, 2> Label8{};
    QComboBox* cmbMethod = nullptr;
    std::array<QLabel*, 2> Label9{};
    QComboBox* cmbDrawStyle = nullptr;
    QFrame* FramLine = nullptr;
    QFrame* LineView = nullptr;
    QScrollBar* DWBar = nullptr;
    QLabel* Label17 = nullptr;
    std::array<QLineEdit*, 2> txtTextOut{};
    QLabel* Label10 = nullptr;
    QLineEdit* txtAngle = nullptr;
    QLabel* Label16 = nullptr;
    QPushButton* cmdfont = nullptr;
    QPlainTextEdit* txtInput = nullptr;
    std::array<QPushButton*, 2> cmdDrawZtxt{};

    // The bottom panel.
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdload = nullptr;
    QPushButton* cmdPaste = nullptr;
    QLabel* Label15 = nullptr;
    QListWidget* ListFixed = nullptr;
    QPushButton* cmdFixedStore = nullptr;
    QPushButton* cmdFixedLoad = nullptr;
    QLineEdit* txtStartX = nullptr;
    QLineEdit* txtStartY = nullptr;
    QLabel* lblScreenPoint = nullptr;
    QPushButton* cmdStart = nullptr;
    std::array<QLabel*, 2> Label7{};
    std::array<QLabel*, 2> Label4{};
    QLabel* Label1 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    std::array<QLabel*, 4> Label2{};  // index 2 is not used
    QLabel* Label3 = nullptr;
    QLabel* Label11 = nullptr;
    std::array<QLabel*, 1> Label5{};
    QLabel* Label6 = nullptr;

    // Menus.
    QMenu* mnu_menu1 = nullptr;
    std::array<QAction*, 4> mnu_m{};  // index 0 is not used
    QMenu* mnu_setting = nullptr;
    std::array<QAction*, 2> mnu_s{};
    QMenu* mnu_s1Menu = nullptr;  // the submenu that mnu_s(1) opens
    QMenu* mnu_can = nullptr;
    std::array<QAction*, 4> mnu_canvas{};
    QAction* mnu_version = nullptr;
    QMenu* mnu_men = nullptr;
    QAction* mnu_getpt = nullptr;
    QAction* mnu_work = nullptr;

  public slots:
    // The start command (cmdStart); refused while a run is in progress.
    void startCommand();
    // Ctrl+G: the pointer's position becomes the output origin.
    void captureOrigin();
    void timerTick();
    // Height first. A size of zero or less, or above 4096 (a damaged settings file), gives
    // 200 × 200.
    void SetCanvasSize(std::int16_t height, std::int16_t width);
    void UpdateScrollRanges();
    // The resize formulas on the window's outer size; nothing while minimised.
    void layOut();

  private slots:
    // The commands a run refuses: their menu items and buttons are disabled while it is in
    // progress (the pattern library refuses its two on its own as well).
    // mnu_canvas(0) to (2).
    void canvasPreset(int index);
    void openExtractionSettings();
    void openAbout();
    // mnu_work: repaint the picture from its persistent image.
    void refreshPicture();
    void loadPictureCommand();
    void pastePictureCommand();
    void clearPictureCommand();
    void customCanvasSizeCommand();
    void storePatternCommand();
    void loadPatternCommand();

    // Disables (running) or enables again the menu items and buttons of those commands.
    void showRunInProgress(bool running);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void createPainterPanel();
    void createBottomPanel();
    void createMenus();
    void createStatusBar();
    void placeAtScreenRightEdge();
    void unload();

    PointerDevice& pointer_;
    std::unique_ptr<UserDialogs> ownDialogs_;
    UserDialogs* dialogs_;
    QString settingsPath_;
    SettingVariables settings_;
    RunState runState_;
    WaitMenu* waitMenu_ = nullptr;
    // Destroyed before the controls it drives and the run state it asks, and dropped at unload.
    std::unique_ptr<Painter> painter_;
    std::array<QLabel*, 4> panels_{};
    bool closeAfterRun_ = false;
    bool unloaded_ = false;
    bool closingOnSignal_ = false;
    bool placedAfterShow_ = false;
};

}  // namespace stylorex
