#pragma once

#include <QColor>
#include <QObject>

class QComboBox;
class QFrame;
class QLabel;
class QScrollBar;

namespace stylorex {

class PictureBox;

// Adds the line styles to `list`: "実線", "鎖線", "点線" with item data 0, 1, 2, the picture's
// DrawStyle. An empty list selects its first entry as it gets it.
void AddLineStyleItems(QComboBox& list);

// The painter's pen as the panel sets it: the width from DWBar (1..20, sampled by LineView in
// FramLine), the style from cmbDrawStyle (item data 0 solid, 1 dash, 2 dot) and the drawing
// colour held by the hidden swatch lblforecol. Width and style reach the picture's DrawWidth and
// DrawStyle at once; they are not kept in the settings file.
class PenAttributes : public QObject {
    Q_OBJECT
  public:
    // Gives the controls their ranges, items (when cmbDrawStyle is empty) and the black swatch,
    // connects them, selects "実線" and applies width and style once, as the start-up does.
    PenAttributes(PictureBox* picSRC, QScrollBar* DWBar, QFrame* FramLine, QFrame* LineView,
                  QComboBox* cmbDrawStyle, QLabel* lblforecol, QObject* parent = nullptr);

    // The width and style the user chose, read back from the controls.
    int chosenWidth() const;
    int chosenStyle() const;
    // The background colour of lblforecol, read each time something is drawn with it.
    QColor drawingColour() const;

  private:
    void applyWidth(int value);
    void applyStyle(int index);

    PictureBox* picSRC_;
    QScrollBar* DWBar_;
    QFrame* FramLine_;
    QFrame* LineView_;
    QComboBox* cmbDrawStyle_;
    QLabel* lblforecol_;
};

}  // namespace stylorex
