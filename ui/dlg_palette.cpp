#include "ui/dlg_palette.h"

#include "os/point_picker.h"
#include "os/screen_reader.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <optional>

namespace stylorex {

namespace {

enum Column { kNumber, kPoint, kInk, kColumns };

QString pointText(QPoint at) {
    return QStringLiteral("%1, %2").arg(at.x()).arg(at.y());
}

}  // namespace

dlgPalette::dlgPalette(const Palette& palette, PointPicker& picker, ScreenReader* screen,
                       QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      picker_(picker),
      screen_(screen),
      background_(palette.background) {
    setObjectName(QStringLiteral("dlgPalette"));
    setWindowTitle(tr("パレット"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* hint =
        new QLabel(tr("描画先の色のスウォッチを指して Ctrl+K を押すと、その位置と画面の色を"
                      "スウォッチに加えます（最大 %1 個）。スウォッチの色と描かれる色が違うとき"
                      "は、色の欄を「#RRGGBB」で書き換えてください。")
                       .arg(Palette::kMostSwatches),
                   this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    lstSwatches = new QTableWidget(0, kColumns, this);
    lstSwatches->setObjectName(QStringLiteral("lstSwatches"));
    lstSwatches->setHorizontalHeaderLabels({tr("番号"), tr("位置"), tr("色")});
    lstSwatches->verticalHeader()->hide();
    lstSwatches->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstSwatches->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSwatches->horizontalHeader()->setStretchLastSection(true);
    lstSwatches->setMinimumSize(300, 220);
    layout->addWidget(lstSwatches);

    lblHint = new QLabel(this);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    layout->addWidget(lblHint);

    auto* rowButtons = new QHBoxLayout();
    cmdUp = new QPushButton(tr("上へ"), this);
    cmdDown = new QPushButton(tr("下へ"), this);
    cmdRemove = new QPushButton(tr("削除"), this);
    for (QPushButton* button : {cmdUp, cmdDown, cmdRemove}) {
        button->setAutoDefault(false);
        rowButtons->addWidget(button);
    }
    rowButtons->addStretch();
    rowButtons->addWidget(new QLabel(tr("描画先の背景色"), this));
    txtBackground = new QLineEdit(HexColourText(background_), this);
    txtBackground->setObjectName(QStringLiteral("txtBackground"));
    txtBackground->setMaximumWidth(80);
    rowButtons->addWidget(txtBackground);
    layout->addLayout(rowButtons);

    auto* okCancel = new QHBoxLayout();
    okCancel->addStretch();
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    for (QPushButton* button : {OKButton, CancelButton}) {
        button->setAutoDefault(false);
        okCancel->addWidget(button);
    }
    // Enter presses OK wherever the focus is, but in a colour being edited, which it takes in.
    OKButton->setDefault(true);
    layout->addLayout(okCancel);

    for (const Swatch& swatch : palette.swatches) {
        addSwatch(swatch);
    }
    showCount();

    auto* capture = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this);
    connect(capture, &QShortcut::activated, this, &dlgPalette::captureSwatch);
    connect(cmdRemove, &QPushButton::clicked, this, [this] {
        if (const int row = lstSwatches->currentRow(); row >= 0) {
            lstSwatches->removeRow(row);
            for (int r = row; r < lstSwatches->rowCount(); ++r) {
                lstSwatches->item(r, kNumber)->setText(QString::number(r + 1));
            }
            showCount();
        }
    });
    connect(cmdUp, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { moveSelected(1); });
    // A colour typed in is taken when it is one; otherwise the row shows its ink again.
    connect(lstSwatches, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != kInk) {
            return;
        }
        const QRgb before = item->data(Qt::UserRole).toUInt();
        const QRgb ink = ParseHexColour(item->text()).value_or(before);
        const QSignalBlocker quiet(lstSwatches);
        item->setData(Qt::UserRole, ink);
        item->setText(HexColourText(ink));
        item->setBackground(QColor(ink));
        item->setForeground(qGray(ink) < 128 ? Qt::white : Qt::black);
    });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void dlgPalette::captureSwatch() {
    if (lstSwatches->rowCount() >= Palette::kMostSwatches) {
        lblHint->setText(tr("スウォッチは %1 個までです").arg(Palette::kMostSwatches));
        return;
    }
    picker_.pick([this, alive = QPointer<dlgPalette>(this)](const PointPicker::Result& picked) {
        if (alive == nullptr) {
            return;
        }
        if (!picked.error.isEmpty()) {
            lblHint->setText(picked.error);
        }
        if (!picked.point || lstSwatches->rowCount() >= Palette::kMostSwatches) {
            return;
        }
        std::optional<QRgb> ink = screen_ != nullptr ? screen_->pixel(*picked.point) : std::nullopt;
        addSwatch(Swatch{*picked.point, ink.value_or(qRgb(0, 0, 0))});
        showCount();
        if (!ink) {
            lblHint->setText(tr("画面の色を読めません。色の欄に描かれる色を書いてください。"));
        }
    });
}

Palette dlgPalette::palette() const {
    Palette palette;
    for (int row = 0; row < lstSwatches->rowCount(); ++row) {
        palette.swatches.push_back(
            Swatch{lstSwatches->item(row, kPoint)->data(Qt::UserRole).toPoint(),
                   lstSwatches->item(row, kInk)->data(Qt::UserRole).toUInt()});
    }
    palette.background = ParseHexColour(txtBackground->text()).value_or(background_);
    return palette;
}

void dlgPalette::addSwatch(const Swatch& swatch) {
    const int row = lstSwatches->rowCount();
    lstSwatches->insertRow(row);
    for (int column = 0; column < kColumns; ++column) {
        lstSwatches->setItem(row, column, new QTableWidgetItem());
    }
    showRow(row, swatch);
    lstSwatches->setCurrentCell(row, kInk);
}

void dlgPalette::showRow(int row, const Swatch& swatch) {
    const QSignalBlocker quiet(lstSwatches);
    QTableWidgetItem* number = lstSwatches->item(row, kNumber);
    number->setText(QString::number(row + 1));
    number->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    QTableWidgetItem* point = lstSwatches->item(row, kPoint);
    point->setText(pointText(swatch.at));
    point->setData(Qt::UserRole, swatch.at);
    point->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    QTableWidgetItem* ink = lstSwatches->item(row, kInk);
    ink->setData(Qt::UserRole, swatch.ink);
    ink->setText(HexColourText(swatch.ink));
    ink->setBackground(QColor(swatch.ink));
    ink->setForeground(qGray(swatch.ink) < 128 ? Qt::white : Qt::black);
}

void dlgPalette::moveSelected(int by) {
    const int row = lstSwatches->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= lstSwatches->rowCount()) {
        return;
    }
    const Palette now = palette();
    showRow(row, now.swatches[static_cast<std::size_t>(to)]);
    showRow(to, now.swatches[static_cast<std::size_t>(row)]);
    lstSwatches->setCurrentCell(to, lstSwatches->currentColumn());
}

void dlgPalette::showCount() {
    lblHint->setText(tr("スウォッチ %1 個").arg(lstSwatches->rowCount()));
}

}  // namespace stylorex
