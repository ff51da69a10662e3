#include "ui/qt_user_dialogs.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTranslator>

namespace stylorex {

// Width of what a window manager puts on a title bar besides the title: icon and buttons.
constexpr int kTitleBarButtonsRoom = 100;

void QtUserDialogs::message(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? ProgramTitle() : title, text,
                    QMessageBox::Ok, parent_);
    // The box is as wide as its text, and the window manager writes the title beside its own
    // buttons, often in a larger bold face: under a short text it cut the title off.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleRoom =
            box.fontMetrics().horizontalAdvance(box.windowTitle()) * 5 / 4 + kTitleBarButtonsRoom;
        grid->addItem(new QSpacerItem(titleRoom, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
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

QTranslator* InstallStandardDialogTranslations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace stylorex
