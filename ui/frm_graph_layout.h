#pragma once

#include <QSize>

#include <array>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QWidget;

namespace stylorex {

class PictureBox;
class StatusPanel;
struct PainterControls;
class ViewportScrollBar;

// The main window's controls. Members carry the controls' names, and so do the objects
// ("Label2_3" for element 3 of Label2); arrays are numbered from 0 (the "元絵(&M)" items from 1,
// as their captions are numbered).
struct MainWindowControls {
    QFrame* FrameG = nullptr;
    PictureBox* picSRC = nullptr;
    QPlainTextEdit* txtChar = nullptr;
    ViewportScrollBar* VBar = nullptr;
    ViewportScrollBar* HBar = nullptr;
    QGroupBox* Frame1 = nullptr;
    QFrame* Frame2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    // The row above StatusBar1 for what the four fixed panels leave no room for: the plan, the
    // progress and panel 5 (the check of the last run).
    QWidget* StatusBar2 = nullptr;
    std::array<StatusPanel*, 5> panels{};  // the status bar's panels 1 to 5
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
    QAction* mnu_fitLoad = nullptr;   // "画像に合わせて読み込む"
    QAction* mnu_pickArea = nullptr;  // "描画範囲を選ぶ": origin and size picked on the screen
    QAction* mnu_smooth = nullptr;    // checkable: fitted pictures scaled smoothly (photos)
    QAction* mnu_saveAs = nullptr;
    QAction* mnu_resume = nullptr;   // "続きを描く": resumes the run stopped last
    QAction* mnu_preview = nullptr;  // checkable: the extraction preview on the canvas
    QAction* mnu_undo = nullptr;
    QAction* mnu_redo = nullptr;
    QMenu* mnu_setting = nullptr;
    std::array<QAction*, 2> mnu_s{};
    QMenu* mnu_s1Menu = nullptr;  // the submenu that mnu_s(1) opens, empty until filled
    QMenu* mnu_can = nullptr;
    std::array<QAction*, 4> mnu_canvas{};
    QAction* mnu_followTarget = nullptr;  // checkable: the run's FollowTarget mode
    QAction* mnu_joinRuns = nullptr;      // checkable: the run's JoinRuns mode
    QAction* mnu_palette = nullptr;       // the colour run's swatches
    QMenu* mnu_language = nullptr;        // 日本語 / English, checked: the language spoken now
    QAction* mnu_japanese = nullptr;
    QAction* mnu_english = nullptr;
    QAction* mnu_version = nullptr;
    QMenu* mnu_men = nullptr;
    QAction* mnu_getpt = nullptr;
    QAction* mnu_work = nullptr;
};

// Builds the window's fixed layout into `controls`: every control at its design place with its
// caption, font, colours and state, the menus with their shortcuts (also actions of the window
// itself, so they work whatever the menu bar shows), the status bar, and last the window's
// design size. The controls are created in the order that makes the Tab chain; nothing is
// connected to a command.
void BuildMainWindowControls(QMainWindow& window, MainWindowControls& controls);

// The resize formulas: the viewport, its scroll bars and the two panels follow the window's
// outer size, then the scroll ranges follow the viewport.
void LayOutMainWindow(MainWindowControls& controls, QSize outerSize);

// The scroll bars' ranges (the picture's extent beyond the viewport, negative when it is
// larger) and steps.
void UpdateScrollRanges(MainWindowControls& controls);

// The canvas, the painter panel and the picture's menu, which the painter (painter/painter.h)
// works with; its dialogs and the run state it asks are the caller's to set.
PainterControls PainterControlsOf(const MainWindowControls& controls);

}  // namespace stylorex
