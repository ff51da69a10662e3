#include "ui/dlg_setting.h"

#include "common/setting_limits.h"
#include "common/window_text.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>

#include <algorithm>

namespace stylorex {

namespace {

constexpr int kSliderMinimum = 0;
constexpr int kSliderMaximum = 200;
// The two modes' frame fills the first 237 pixels; the colour frame stands to its right.
constexpr int kModesWidth = 237;
constexpr int kColourFrameWidth = 233;
// The two frames fill the first 140 pixels; the pen's row lies below them.
constexpr int kFramesHeight = 140;
constexpr int kPenRowHeight = 26;

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
    if (settings.ColourMode == 1) {
        return QCoreApplication::translate("DlgSetting", "抽出モード:カラー");
    }
    if (settings.PickUpPattern == 1) {
        return QCoreApplication::translate("DlgSetting", "抽出モード:%1以下")
            .arg(settings.BlackUpper);
    }
    return QCoreApplication::translate("DlgSetting", "抽出モード:白以外");
}

QString DialogExtractionModeText(const SettingVariables& settings) {
    if (settings.PickUpPattern == 1 || settings.ColourMode == 1) {
        return StartupExtractionModeText(settings);
    }
    return QCoreApplication::translate("DlgSetting", "抽出モード：白以外");
}

dlgSetting::dlgSetting(SettingVariables& settings, WindowText& window, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      settings_(settings),
      window_(window) {
    setObjectName(QStringLiteral("dlgSetting"));
    setWindowTitle(tr("線の抽出設定"));
    setFont(dialogFont());
    setFixedSize(kModesWidth + kColourFrameWidth, kFramesHeight + kPenRowHeight);
    setModal(true);

    Frame1 = place(new QFrame(this), "Frame1", 0, 0, 233, 137);
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setAutoFillBackground(true);
    QPalette grey = Frame1->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    Frame1->setPalette(grey);

    OptPickCol[0] = place(new QRadioButton(tr("値以下で抽出（黒輪郭など）"), Frame1),
                          "OptPickCol_0", 8, 16, 209, 17);
    lblBlack = place(new QLabel(Frame1), "lblBlack", 16, 40, 57, 17);
    lblBlack->setFrameShape(QFrame::Box);
    lblBlack->setFrameShadow(QFrame::Plain);
    lblBlack->setLineWidth(1);
    lblBlack->setAutoFillBackground(true);
    txtBlack = place(new QLineEdit(Frame1), "txtBlack", 72, 40, 33, 18);
    Label4 = place(new QLabel(tr("値以下の色を抽出"), Frame1), "Label4", 112, 40, 121, 17);
    SlideBlack = place(new QScrollBar(Qt::Horizontal, Frame1), "SlideBlack", 16, 56, 97, 17);
    SlideBlack->setRange(kSliderMinimum, kSliderMaximum);
    SlideBlack->setSingleStep(1);
    SlideBlack->setPageStep(10);
    Label1 = place(new QLabel(tr("(デフォルト：80)"), Frame1), "Label1", 120, 56, 97, 17);
    OptPickCol[1] = place(new QRadioButton(tr("白(240以上)以外を抽出"), Frame1), "OptPickCol_1", 8,
                          80, 169, 17);
    OKButton = place(new QPushButton(QStringLiteral("OK"), Frame1), "OKButton", 32, 104, 81, 25);
    CancelButton = place(new QPushButton(tr("ｷｬﾝｾﾙ"), Frame1), "CancelButton", 120, 104, 81, 25);
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

    buildColourControls();
    buildPenControl();
    for (QRadioButton* option : {OptPickCol[0], OptPickCol[1], OptColour}) {
        connect(option, &QRadioButton::clicked, this, [this] { UpdatePickMode(); });
    }
    // valueChanged also fires while the thumb is dragged, so the swatch follows the drag.
    connect(SlideBlack, &QScrollBar::valueChanged, this, [this](int v) { showSliderValue(v); });
    connect(SlideBlack, &QScrollBar::sliderMoved, this, [this](int v) { showSliderValue(v); });
    connect(OKButton, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // Opening: the mode's option, then the slider, box and swatch from BlackUpper.
    if (settings_.ColourMode == 1) {
        OptColour->setChecked(true);
    } else {
        OptPickCol[settings_.PickUpPattern == 2 ? 1 : 0]->setChecked(true);
    }
    UpdatePickMode();
    const int slider = std::clamp(settings_.BlackUpper, kSliderMinimum, kSliderMaximum);
    SlideBlack->setValue(slider);
    showSliderValue(slider);
}

void dlgSetting::buildColourControls() {
    FrameColour =
        place(new QFrame(this), "FrameColour", kModesWidth, 0, kColourFrameWidth - 4, 137);
    FrameColour->setFrameShape(QFrame::NoFrame);
    FrameColour->setAutoFillBackground(true);
    FrameColour->setPalette(Frame1->palette());

    OptColour = place(new QRadioButton(tr("カラー（パレットの色で描く）"), FrameColour),
                      "OptColour", 8, 16, 209, 17);
    // The three ways exclude each other across the two frames.
    modes_ = new QButtonGroup(this);
    for (QRadioButton* option : {OptPickCol[0], OptPickCol[1], OptColour}) {
        modes_->addButton(option);
    }
    const auto label = [this](const QString& text, const char* name, int top) {
        QLabel* l = place(new QLabel(text, FrameColour), name, 16, top + 2, 56, 17);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    label(tr("ディザ"), "lblDither", 38);
    cmbDither = place(new QComboBox(FrameColour), "cmbDither", 72, 38, 145, 20);
    cmbDither->addItems({tr("なし"), tr("組織的ディザ（4×4）"), tr("誤差拡散")});
    cmbDither->setCurrentIndex(std::clamp(settings_.Dithering, 0, 2));
    label(tr("描く順"), "lblColourOrder", 60);
    cmbColourOrder = place(new QComboBox(FrameColour), "cmbColourOrder", 72, 60, 145, 20);
    // What the first order does besides its name does not fit the box: its tool tip says it.
    cmbColourOrder->addItems({tr("多い色から"), tr("パレットの順")});
    cmbColourOrder->setItemData(
        0, tr("画素の多い色から描き、最も暗い色を最後に描きます（輪郭が上に残ります）"),
        Qt::ToolTipRole);
    cmbColourOrder->setToolTip(tr("多い色から: ") +
                               cmbColourOrder->itemData(0, Qt::ToolTipRole).toString());
    cmbColourOrder->setCurrentIndex(std::clamp(settings_.ColourOrder, 0, 1));
    label(tr("制限時間"), "lblTimeLimit", 82);
    spnTimeLimit = place(new QSpinBox(FrameColour), "spnTimeLimit", 72, 82, 80, 20);
    spnTimeLimit->setRange(0, kLongestTimeLimitSeconds);
    spnTimeLimit->setSuffix(tr(" 秒"));
    spnTimeLimit->setSpecialValueText(tr("なし"));
    spnTimeLimit->setValue(std::clamp(settings_.TimeLimit, 0, kLongestTimeLimitSeconds));
    cmdPalette =
        place(new QPushButton(tr("パレット…"), FrameColour), "cmdPalette", 16, 106, 81, 25);
    cmdPalette->setAutoDefault(false);
    lblPalette = place(new QLabel(FrameColour), "lblPalette", 104, 110, 113, 17);
    showPaletteCount();

    setTabOrder(OKButton, OptColour);
    setTabOrder(OptColour, cmbDither);
    setTabOrder(cmbDither, cmbColourOrder);
    setTabOrder(cmbColourOrder, spnTimeLimit);
    setTabOrder(spnTimeLimit, cmdPalette);

    connect(cmbDither, &QComboBox::currentIndexChanged, this, [this] { tellShown(); });
    connect(cmbColourOrder, &QComboBox::currentIndexChanged, this, [this] { tellShown(); });
    connect(spnTimeLimit, &QSpinBox::valueChanged, this, [this] { tellShown(); });
    connect(cmdPalette, &QPushButton::clicked, this, [this] {
        emit paletteRequested();
        showPaletteCount();
        tellShown();
    });
}

void dlgSetting::buildPenControl() {
    FramePen = place(new QFrame(this), "FramePen", 0, kFramesHeight,
                     kModesWidth + kColourFrameWidth, kPenRowHeight);
    FramePen->setFrameShape(QFrame::NoFrame);
    FramePen->setAutoFillBackground(true);
    FramePen->setPalette(Frame1->palette());
    QLabel* label = place(new QLabel(tr("ペン幅"), FramePen), "lblPen", 16, 4, 56, 17);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    spnPen = place(new QSpinBox(FramePen), "spnPen", 72, 2, 80, 20);
    spnPen->setRange(1, kWidestPen);
    spnPen->setSuffix(tr(" px"));
    spnPen->setValue(std::clamp(settings_.PenWidth, 1, kWidestPen));
    spnPen->setToolTip(
        tr("描画先のペンの太さ。2 以上では線の中心と、太さの間隔の塗りだけを"
           "なぞります。"));
    setTabOrder(cmdPalette, spnPen);
    connect(spnPen, &QSpinBox::valueChanged, this, [this] { tellShown(); });
}

void dlgSetting::showPaletteCount() {
    lblPalette->setText(settings_.PaletteSwatches.isEmpty()
                            ? tr("スウォッチなし")
                            : tr("スウォッチ %1 個").arg(settings_.PaletteSwatches.size()));
}

SettingVariables dlgSetting::shownSettings() const {
    SettingVariables shown = settings_;
    shown.ColourMode = OptColour->isChecked() ? 1 : 0;
    if (!OptColour->isChecked()) {
        shown.PickUpPattern = OptPickCol[0]->isChecked() ? 1 : 2;
    }
    shown.BlackUpper = SlideBlack->value();
    shown.Dithering = cmbDither->currentIndex();
    shown.ColourOrder = cmbColourOrder->currentIndex();
    shown.TimeLimit = spnTimeLimit->value();
    shown.PenWidth = spnPen->value();
    return shown;
}

void dlgSetting::tellShown() {
    emit shownSettingsChanged(shownSettings());
}

void dlgSetting::UpdatePickMode() {
    const bool whiteMode = OptPickCol[1]->isChecked();
    const bool colour = OptColour->isChecked();
    // The threshold serves the dark-pixel mode alone.
    for (QWidget* control :
         std::initializer_list<QWidget*>{SlideBlack, lblBlack, Label4, Label1, txtBlack}) {
        control->setEnabled(!whiteMode && !colour);
    }
    for (QWidget* control : FrameColour->findChildren<QWidget*>()) {
        control->setEnabled(colour || control == OptColour);
    }
    setBold(OptPickCol[1], whiteMode);
    setBold(OptPickCol[0], !whiteMode && !colour);
    setBold(OptColour, colour);
    tellShown();
}

void dlgSetting::showSliderValue(int value) {
    QPalette palette = lblBlack->palette();
    palette.setColor(QPalette::Window, QColor(value, value, value));
    // A disabled swatch keeps showing the threshold grey.
    palette.setColor(QPalette::Disabled, QPalette::Window, QColor(value, value, value));
    lblBlack->setPalette(palette);
    txtBlack->setText(QString::number(value));
    tellShown();
}

void dlgSetting::okClicked() {
    settings_ = shownSettings();
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
