#include "ui/frm_about.h"

#include "common/version.h"
#include "ui/program_icon.h"

#include <QLabel>
#include <QPushButton>

namespace stylorex {

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowIcon(ProgramIcon());
    setModal(true);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(13);  // 9.75 pt at 96 dpi
    setFont(font);
    setFixedSize(185, 122);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(8, 8, 32, 32);
    picIcon->setAutoFillBackground(true);
    QPalette white = picIcon->palette();
    white.setColor(QPalette::Window, Qt::white);
    picIcon->setPalette(white);
    picIcon->setPixmap(ProgramIconPixmap(32));

    lblTitle = new QLabel(QStringLiteral("Stylorex"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(48, 8, 155, 32);
    QPalette black = lblTitle->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(black);

    lblVersion = new QLabel(tr("ﾊﾞｰｼﾞｮﾝ   %1β").arg(QLatin1String(kProgramVersion)), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(96, 24, 91, 23);

    lblPurpose = new QLabel(tr("小さな絵を、マウスを動かして他のソフトに描き写します"), this);
    lblPurpose->setObjectName(QStringLiteral("lblPurpose"));
    lblPurpose->setGeometry(8, 50, 169, 34);
    lblPurpose->setWordWrap(true);

    for (QLabel* label : {lblTitle, lblVersion, lblPurpose}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(48, 92, 92, 23);
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setFocus();
    // Esc reaches QDialog::reject, the cancel button's part.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace stylorex
