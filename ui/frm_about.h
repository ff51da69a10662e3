#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace stylorex {

// "ﾊﾞｰｼﾞｮﾝ情報": the program's name, its version (kProgramVersion) and what it does. Modal, centred
// on its owner; OK is both the default and the cancel button, so Enter and Esc close it as the
// close box does.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* owner);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblPurpose = nullptr;
    QPushButton* cmdOK = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace stylorex
