#include "painter/pen.h"

#include "canvas/picture_box.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QScrollBar>

namespace stylorex {

namespace {

constexpr int kMinWidth = 1;
constexpr int kMaxWidth = 20;
constexpr int kWidthSmallStep = 1;
constexpr int kWidthLargeStep = 5;

}  // namespace

void AddLineStyleItems(QComboBox& list) {
    list.addItem(QCoreApplication::translate("Pen", "実線"), 0);
    list.addItem(QCoreApplication::translate("Pen", "鎖線"), 1);
    list.addItem(QCoreApplication::translate("Pen", "点線"), 2);
}

PenAttributes::PenAttributes(PictureBox* picSRC, QScrollBar* DWBar, QFrame* FramLine,
                             QFrame* LineView, QComboBox* cmbDrawStyle, QLabel* lblforecol,
                             QObject* parent)
    : QObject(parent),
      picSRC_(picSRC),
      DWBar_(DWBar),
      FramLine_(FramLine),
      LineView_(LineView),
      cmbDrawStyle_(cmbDrawStyle),
      lblforecol_(lblforecol) {
    DWBar_->setRange(kMinWidth, kMaxWidth);
    DWBar_->setSingleStep(kWidthSmallStep);
    DWBar_->setPageStep(kWidthLargeStep);
    DWBar_->setValue(kMinWidth);
    FramLine_->setToolTip(QCoreApplication::translate("Pen", "描画する線の太さを決めます"));

    // As with the tool list: a list the window filled is selected by its start-up.
    const bool fillStyles = cmbDrawStyle_->count() == 0;
    if (fillStyles) {
        AddLineStyleItems(*cmbDrawStyle_);
    }

    // The swatch's background is the drawing colour; it is set through the palette (not a style
    // sheet) so that drawingColour() reads it back.
    QPalette swatch = lblforecol_->palette();
    swatch.setColor(QPalette::Window, QColor(0, 0, 0));
    lblforecol_->setPalette(swatch);
    lblforecol_->setAutoFillBackground(true);

    // The scroll signal runs the same steps while the thumb is dragged, so the sample and the
    // pen follow it before the thumb is released even without tracking.
    connect(DWBar_, &QScrollBar::valueChanged, this, &PenAttributes::applyWidth);
    connect(DWBar_, &QScrollBar::sliderMoved, this, &PenAttributes::applyWidth);
    connect(cmbDrawStyle_, &QComboBox::currentIndexChanged, this, &PenAttributes::applyStyle);

    applyWidth(DWBar_->value());
    if (fillStyles) {
        cmbDrawStyle_->setCurrentIndex(0);
    }
    applyStyle(cmbDrawStyle_->currentIndex());
}

int PenAttributes::chosenWidth() const {
    return DWBar_->value();
}

int PenAttributes::chosenStyle() const {
    return cmbDrawStyle_->currentData().toInt();
}

QColor PenAttributes::drawingColour() const {
    return lblforecol_->palette().color(QPalette::Window);
}

void PenAttributes::applyWidth(int value) {
    LineView_->setLineWidth(value);
    FramLine_->update();
    picSRC_->setDrawWidth(value);
}

void PenAttributes::applyStyle(int index) {
    if (index < 0) {
        return;
    }
    picSRC_->setDrawStyle(cmbDrawStyle_->itemData(index).toInt());
}

}  // namespace stylorex
