#include "ui/dlg_setting.h"

#include "common/window_text.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace stylorex {

namespace {

constexpr int kSliderMinimum = 0;
constexpr int kSliderMaximum = 200;

QFont dialogFont() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(13);  // 9.75 pt at 96 dpi
    return font;
}

void setBold(QWidget* widget, bool bold) {
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

template <typename Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

}  // namespace

QString StartupExtractionModeText(const SettingVariables& settings) {
    if (settings.PickUpPattern == 1) {
        return QStringLiteral("抽出モード:%1以下").arg(settings.BlackUpper);
    }
    return QStringLiteral("抽出モード:白以外");
}

QString DialogExtractionModeText(const SettingVariables& settings) {
    if (settings.PickUpPattern == 1) {
        return StartupExtractionModeText(settings);
    }
    return QStringLiteral("抽出モード：白以外");
}

dlgSetting::dlgSetting(SettingVariables& settings, WindowText& window, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      settings_(settings),
      window_(window) {
    setObjectName(QStringLiteral("dlgSetting"));
    setWindowTitle(QStringLiteral("線の抽出設定"));
    setFont(dialogFont());
    setFixedSize(237, 140);
    setModal(true);

    Frame1 = place(new QFrame(this), "Frame1", 0, 0, 233, 137);
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setAutoFillBackground(true);
    QPalette grey = Frame1->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    Frame1->setPalette(grey);

    OptPickCol[0] = place(new QRadioButton(QStringLiteral("値以下で抽出（黒輪郭など）"), Frame1),
                          "OptPickCol_0", 8, 16, 209, 17);
    lblBlack = place(new QLabel(Frame1), "lblBlack", 16, 40, 57, 17);
    lblBlack->setFrameShape(QFrame::Box);
    lblBlack->setFrameShadow(QFrame::Plain);
    lblBlack->setLineWidth(1);
    lblBlack->setAutoFillBackground(true);
    txtBlack = place(new QLineEdit(Frame1), "txtBlack", 72, 40, 33, 18);
    Label4 =
        place(new QLabel(QStringLiteral("値以下の色を抽出"), Frame1), "Label4", 112, 40, 121, 17);
    SlideBlack = place(new QScrollBar(Qt::Horizontal, Frame1), "SlideBlack", 16, 56, 97, 17);
    SlideBlack->setRange(kSliderMinimum, kSliderMaximum);
    SlideBlack->setSingleStep(1);
    SlideBlack->setPageStep(10);
    Label1 =
        place(new QLabel(QStringLiteral("(デフォルト：80)"), Frame1), "Label1", 120, 56, 97, 17);
    OptPickCol[1] = place(new QRadioButton(QStringLiteral("白(240以上)以外を抽出"), Frame1),
                          "OptPickCol_1", 8, 80, 169, 17);
    OKButton = place(new QPushButton(QStringLiteral("OK"), Frame1), "OKButton", 32, 104, 81, 25);
    CancelButton =
        place(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), Frame1), "CancelButton", 120, 104, 81, 25);
    for (QLabel* label : {Label4, Label1}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    // Enter presses neither button.
    for (QPushButton* button : {OKButton, CancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(OptPickCol[0], OptPickCol[1]);
    setTabOrder(OptPickCol[1], SlideBlack);
    setTabOrder(SlideBlack, txtBlack);
    setTabOrder(txtBlack, CancelButton);
    setTabOrder(CancelButton, OKButton);

    for (QRadioButton* option : OptPickCol) {
        connect(option, &QRadioButton::clicked, this, [this] { UpdatePickMode(); });
    }
    // valueChanged also fires while the thumb is dragged, so the swatch follows the drag.
    connect(SlideBlack, &QScrollBar::valueChanged, this, [this](int v) { showSliderValue(v); });
    connect(SlideBlack, &QScrollBar::sliderMoved, this, [this](int v) { showSliderValue(v); });
    connect(OKButton, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // Opening: the mode's option, then the slider, box and swatch from BlackUpper.
    OptPickCol[settings_.PickUpPattern == 2 ? 1 : 0]->setChecked(true);
    UpdatePickMode();
    const int slider = std::clamp(settings_.BlackUpper, kSliderMinimum, kSliderMaximum);
    SlideBlack->setValue(slider);
    showSliderValue(slider);
}

void dlgSetting::UpdatePickMode() {
    const bool whiteMode = OptPickCol[1]->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{SlideBlack, lblBlack, Label4, Label1, txtBlack}) {
        control->setEnabled(!whiteMode);
    }
    setBold(OptPickCol[1], whiteMode);
    setBold(OptPickCol[0], !whiteMode);
    emit shownSettingsChanged(whiteMode ? 2 : 1, SlideBlack->value());
}

void dlgSetting::showSliderValue(int value) {
    QPalette palette = lblBlack->palette();
    palette.setColor(QPalette::Window, QColor(value, value, value));
    // A disabled swatch keeps showing the threshold grey.
    palette.setColor(QPalette::Disabled, QPalette::Window, QColor(value, value, value));
    lblBlack->setPalette(palette);
    txtBlack->setText(QString::number(value));
    emit shownSettingsChanged(OptPickCol[1]->isChecked() ? 2 : 1, value);
}

void dlgSetting::okClicked() {
    settings_.PickUpPattern = OptPickCol[0]->isChecked() ? 1 : 2;
    settings_.BlackUpper = SlideBlack->value();
    SetStatusText(window_, 1, DialogExtractionModeText(settings_));
    accept();
}

void dlgSetting::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter are not bound to Cancel or OK; the dialog stays open.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace stylorex
