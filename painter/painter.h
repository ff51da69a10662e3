#pragma once

#include <QObject>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace stylorex {

class PictureBox;
class UserDialogs;

// The controls of the painter panel and the picture it draws on. The main window creates and
// places them; the painter gives them their behaviour.
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
    UserDialogs* dialogs = nullptr;
};

class Painter : public QObject {
    Q_OBJECT
  public:
    explicit Painter(const PainterControls& controls, QObject* parent = nullptr);
    ~Painter() override;

    // While a drawing run is in progress, presses on the picture and the text buttons are
    // refused so that nothing changes the picture under the run.
    void setRunInProgress(bool running);

  private:
    struct State;
    State* state_;
};

}  // namespace stylorex
