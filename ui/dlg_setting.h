#pragma once

#include "settings/persistent_settings.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;

namespace stylorex {

class WindowText;

// Status panel 1 at start-up: "抽出モード:80以下" in mode 1, "抽出モード:白以外" otherwise,
// "抽出モード:カラー" while colour is on (ColourMode).
QString StartupExtractionModeText(const SettingVariables& settings);
// Status panel 1 after the dialog's OK: mode 1 as at start-up; mode 2 with the full-width
// colon, "抽出モード：白以外".
QString DialogExtractionModeText(const SettingVariables& settings);

// "線の抽出設定": the extraction mode and the dark threshold. Built afresh for every opening
// from the current settings; OK writes PickUpPattern and BlackUpper and status panel 1,
// Cancel and the title-bar close change nothing. Neither button answers Enter or Esc.
//
// Settings the controls cannot show open as follows: a PickUpPattern other than 1 or 2 opens
// with mode 1 (the default) selected, and a BlackUpper outside 0..200 puts the slider at the
// nearer end. Nothing changes unless OK is pressed, which then stores what is shown.
//
// Beside the two modes, in a frame of its own to their right: "カラー", the third way, which
// draws the picture in the target's own colours (ColourMode; PickUpPattern stays as it was), with
// its dithering, the order of its inks, its time limit ("制限時間") and the palette, which
// "パレット…" opens (paletteRequested) and which it counts.
//
// Below both frames, "ペン幅": the target's pen in pixels across (PenWidth), which a wider pen
// draws along centre lines and fills spaced by its width.
class dlgSetting : public QDialog {
    Q_OBJECT
  public:
    dlgSetting(SettingVariables& settings, WindowText& window, QWidget* owner);

    QFrame* Frame1 = nullptr;
    std::array<QRadioButton*, 2> OptPickCol{};
    QLabel* lblBlack = nullptr;
    QLineEdit* txtBlack = nullptr;
    QLabel* Label4 = nullptr;
    QScrollBar* SlideBlack = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    QFrame* FrameColour = nullptr;
    QRadioButton* OptColour = nullptr;
    QComboBox* cmbDither = nullptr;
    QComboBox* cmbColourOrder = nullptr;
    QSpinBox* spnTimeLimit = nullptr;
    QPushButton* cmdPalette = nullptr;
    QLabel* lblPalette = nullptr;

    QFrame* FramePen = nullptr;
    QSpinBox* spnPen = nullptr;

    // The settings as the controls show them: what OK stores.
    SettingVariables shownSettings() const;

  signals:
    // What the dialog shows changed (before OK): the extraction preview follows.
    void shownSettingsChanged(const SettingVariables& shown);
    // "パレット…": the window opens the palette; the dialog counts its swatches again after.
    void paletteRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void UpdatePickMode();
    void showSliderValue(int value);
    void okClicked();
    void buildColourControls();
    void buildPenControl();
    void showPaletteCount();
    void tellShown();

    SettingVariables& settings_;
    WindowText& window_;
    QButtonGroup* modes_ = nullptr;
};

}  // namespace stylorex
