#include "ui/qt_user_dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

// The input boxes' buttons read in Japanese like the rest of the program once Qt's own
// translations are installed.
TEST(StandardDialogs, AnInputBoxOffersTheJapaneseCancelButton) {
    QTranslator* translator = InstallStandardDialogTranslations();
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translations are not installed";
    QStringList buttons;
    QTimer::singleShot(0, [&buttons] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        for (const QPushButton* button : box->findChildren<QPushButton*>()) {
            buttons << button->text();
        }
        box->reject();
    });
    QtUserDialogs dialogs(nullptr);
    EXPECT_EQ(dialogs.input(QStringLiteral("高さを入力して下さい"), QStringLiteral("題")),
              std::nullopt);
    EXPECT_TRUE(buttons.contains(QStringLiteral("キャンセル"))) << buttons.join(' ').toStdString();
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// A short message under a title: the box leaves the title room beside the window manager's
// buttons instead of cutting it.
TEST(StandardDialogs, AMessageBoxIsWideEnoughForItsTitle) {
    const QString title = QStringLiteral("定型画像の保存と読み込み");
    int width = 0;
    int titleWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        width = box->width();
        titleWidth = box->fontMetrics().horizontalAdvance(title);
        box->accept();
    });
    QtUserDialogs(nullptr).message(QStringLiteral("済"), title);
    ASSERT_GT(titleWidth, 0) << "no message box came up";
    EXPECT_GE(width, titleWidth + 100);
}

}  // namespace
}  // namespace stylorex
