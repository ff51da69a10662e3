#pragma once

#include "painter/text_tool.h"

#include <QObject>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace stylorex {

class BezierTool;
class DrawingTools;
class PenAttributes;
class PictureBox;
class RunState;
class UserDialogs;

// The controls of the painter panel and the picture it draws on. The main window creates and
// places them; the painter gives them their behaviour:
//  - cmbMethod and cmbDrawStyle: when empty, the painter fills them (AddToolItems,
//    AddLineStyleItems) and selects "鉛筆" and "実線"; lists the window filled with the same
//    functions are selected by the window's start-up, and the painter follows every change of
//    selection;
//  - DWBar: the painter sets its range 1..20, steps 1 and 5 and value 1; LineView (a line frame
//    inside FramLine) gets DWBar's value as its line width, and FramLine its tooltip;
//  - lblforecol: the painter gives it its black background through the palette (no style
//    sheet), and the drawing colour is read back from it;
//  - txtChar (a frameless QPlainTextEdit child of picSRC, 145 x 41): the painter hides it and
//    shows it where the text tool opens it;
//  - the texts of txtInput, txtTextOut, txtAngle and the buttons' captions are the window's.
// The picture's fill is transparent: rectangles and ellipses are plain outlines.
struct PainterControls {
    PictureBox* picSRC = nullptr;
    QComboBox* cmbMethod = nullptr;
    QComboBox* cmbDrawStyle = nullptr;
    QScrollBar* DWBar = nullptr;
    QFrame* FramLine = nullptr;
    QFrame* LineView = nullptr;
    QLabel* lblforecol = nullptr;
    QPlainTextEdit* txtChar = nullptr;
    QPlainTextEdit* txtInput = nullptr;
    QLineEdit* txtTextOut[2] = {nullptr, nullptr};
    QLineEdit* txtAngle = nullptr;
    QPushButton* cmdfont = nullptr;
    QPushButton* cmdDrawZtxt[2] = {nullptr, nullptr};
    // The "元絵(&M)" menu, shown as the picture's context menu.
    QMenu* mnu_menu1 = nullptr;
    UserDialogs* dialogs = nullptr;  // must be set
    // While a drawing run is in progress, presses, moves and releases on the picture and the
    // two text buttons are refused so that nothing changes the picture under the run.
    const RunState* runState = nullptr;  // must be set
};

// The simple painter: the tools of cmbMethod on the picture's mouse events, the pen, the text
// tool and the Bezier tool. Connects itself to picSRC's mouseDown/mouseMove/mouseUp. It watches
// the keys and focus of txtChar and txtInput, so it must be destroyed before its controls (a
// member of the main window is: members go before the window's children).
class Painter : public QObject {
    Q_OBJECT
  public:
    explicit Painter(const PainterControls& controls, QObject* parent = nullptr);
    ~Painter() override;

    // Lets tests answer the font dialog of "フォントの設定".
    void setFontChooser(FontChooser chooser);

    PenAttributes& pen() { return *pen_; }
    TextTool& text() { return *text_; }
    BezierTool& bezier() { return *bezier_; }
    DrawingTools& tools() { return *tools_; }

  private:
    std::unique_ptr<PenAttributes> pen_;
    std::unique_ptr<TextTool> text_;
    std::unique_ptr<BezierTool> bezier_;
    std::unique_ptr<DrawingTools> tools_;
};

}  // namespace stylorex
