#include "ui/qt_user_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace stylorex {

void QtUserDialogs::message(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? ProgramTitle() : title, text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

bool QtUserDialogs::confirm(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? ProgramTitle() : title, text,
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtUserDialogs::input(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

}  // namespace stylorex
