#pragma once

#include "engine/palette.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace stylorex {

class PointPicker;
class ScreenReader;

// "パレット": the target's swatches, each a point on the screen and the ink a click there gives,
// and the colour of the target's canvas. Ctrl+K takes the swatch the user points at (through
// `picker`: where the pointer stands where it can be read, a point clicked on the screen where it
// cannot), its ink read from the screen there (`screen`; black where the screen cannot be read).
// An ink is edited as "#RRGGBB" in its row, for a swatch that shows another colour than it paints.
// OK keeps what the list shows (palette()), Cancel nothing.
class dlgPalette : public QDialog {
    Q_OBJECT
  public:
    dlgPalette(const Palette& palette, PointPicker& picker, ScreenReader* screen, QWidget* owner);

    // The palette as the dialog shows it.
    Palette palette() const;
    // Ctrl+K.
    void captureSwatch();

    QTableWidget* lstSwatches = nullptr;
    QLabel* lblHint = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QLineEdit* txtBackground = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

  private:
    void addSwatch(const Swatch& swatch);
    void moveSelected(int by);
    void showRow(int row, const Swatch& swatch);
    void showCount();

    PointPicker& picker_;
    ScreenReader* screen_;
    QRgb background_;
};

}  // namespace stylorex
