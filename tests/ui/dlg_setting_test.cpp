#include "ui/dlg_setting.h"

#include "tests/support/recording_window.h"
#include "ui/wait_menu.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace stylorex {
namespace {

QColor swatch(const dlgSetting& dialog) {
    return dialog.lblBlack->palette().color(QPalette::Window);
}

bool thresholdControlsEnabled(const dlgSetting& dialog, bool enabled) {
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             dialog.SlideBlack, dialog.lblBlack, dialog.Label4, dialog.Label1, dialog.txtBlack}) {
        if (control->isEnabled() != enabled) {
            return false;
        }
    }
    return true;
}

class DlgSettingTest : public ::testing::Test {
  protected:
    DlgSettingTest() {
        settings.PickUpPattern = 1;
        settings.BlackUpper = 80;
        settings.WhiteUpper = 240;
        window.panels[1] = QStringLiteral("before");
    }

    SettingVariables settings;
    RecordingWindow window;
};

TEST_F(DlgSettingTest, OpensOnModeOneWithTheThresholdShown) {
    dlgSetting dialog(settings, window, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("線の抽出設定"));
    // The two modes' frame as it always was, with the colour frame beside it.
    EXPECT_EQ(dialog.Frame1->geometry(), QRect(0, 0, 233, 137));
    // The pen's row below both frames.
    EXPECT_EQ(dialog.height(), 140 + 26);
    EXPECT_EQ(dialog.FramePen->y(), 140);
    EXPECT_EQ(dialog.spnPen->value(), 1);
    EXPECT_GE(dialog.FrameColour->x(), 237);
    EXPECT_TRUE(dialog.OptPickCol[0]->isChecked());
    EXPECT_FALSE(dialog.OptPickCol[1]->isChecked());
    EXPECT_TRUE(dialog.OptPickCol[0]->font().bold());
    EXPECT_FALSE(dialog.OptPickCol[1]->font().bold());
    EXPECT_EQ(dialog.SlideBlack->value(), 80);
    EXPECT_EQ(dialog.txtBlack->text(), QStringLiteral("80"));
    EXPECT_EQ(swatch(dialog), QColor(80, 80, 80));
    EXPECT_TRUE(thresholdControlsEnabled(dialog, true));

    EXPECT_EQ(dialog.OptPickCol[0]->text(), QStringLiteral("値以下で抽出（黒輪郭など）"));
    EXPECT_EQ(dialog.OptPickCol[1]->text(), QStringLiteral("白(240以上)以外を抽出"));
    EXPECT_EQ(dialog.Label4->text(), QStringLiteral("値以下の色を抽出"));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("(デフォルト：80)"));
    EXPECT_EQ(dialog.CancelButton->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(dialog.SlideBlack->minimum(), 0);
    EXPECT_EQ(dialog.SlideBlack->maximum(), 200);
    EXPECT_EQ(dialog.SlideBlack->singleStep(), 1);
    EXPECT_EQ(dialog.SlideBlack->pageStep(), 10);
    EXPECT_EQ(dialog.SlideBlack->geometry(), QRect(16, 56, 97, 17));
    EXPECT_EQ(dialog.OKButton->geometry(), QRect(32, 104, 81, 25));
    EXPECT_EQ(dialog.Frame1->palette().color(QPalette::Window), QColor(192, 192, 192));
}

TEST_F(DlgSettingTest, OpensOnModeTwoWithTheThresholdControlsDisabled) {
    settings.PickUpPattern = 2;
    settings.BlackUpper = 55;
    dlgSetting dialog(settings, window, nullptr);
    EXPECT_TRUE(dialog.OptPickCol[1]->isChecked());
    EXPECT_TRUE(dialog.OptPickCol[1]->font().bold());
    EXPECT_FALSE(dialog.OptPickCol[0]->font().bold());
    EXPECT_TRUE(thresholdControlsEnabled(dialog, false));
    EXPECT_EQ(dialog.SlideBlack->value(), 55);
    EXPECT_EQ(swatch(dialog), QColor(55, 55, 55)) << "the disabled swatch still shows the grey";
}

TEST_F(DlgSettingTest, ThresholdZeroShowsZeroAndABlackSwatch) {
    settings.BlackUpper = 0;
    dlgSetting dialog(settings, window, nullptr);
    EXPECT_EQ(dialog.txtBlack->text(), QStringLiteral("0"));
    EXPECT_EQ(swatch(dialog), QColor(0, 0, 0));
}

TEST_F(DlgSettingTest, SwatchAndBoxFollowTheThumbWhileItIsDragged) {
    dlgSetting dialog(settings, window, nullptr);
    dialog.SlideBlack->setSliderDown(true);
    dialog.SlideBlack->setSliderPosition(150);
    EXPECT_EQ(swatch(dialog), QColor(150, 150, 150));
    EXPECT_EQ(dialog.txtBlack->text(), QStringLiteral("150"));
    dialog.SlideBlack->setSliderPosition(30);
    EXPECT_EQ(swatch(dialog), QColor(30, 30, 30));
    dialog.SlideBlack->setSliderDown(false);
    EXPECT_EQ(settings.BlackUpper, 80) << "nothing is stored before OK";
}

TEST_F(DlgSettingTest, OkInModeOneStoresTheSliderAndWritesPanelOne) {
    dlgSetting dialog(settings, window, nullptr);
    dialog.SlideBlack->setValue(120);
    dialog.spnPen->setValue(4);
    EXPECT_EQ(settings.PenWidth, 1) << "nothing is stored before OK";
    dialog.OKButton->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.BlackUpper, 120);
    EXPECT_EQ(settings.PenWidth, 4);
    EXPECT_EQ(settings.PickUpPattern, 1);
    EXPECT_EQ(window.panels[1], QStringLiteral("抽出モード:120以下"));
}

TEST_F(DlgSettingTest, OkInModeTwoUsesTheFullWidthColon) {
    dlgSetting dialog(settings, window, nullptr);
    dialog.SlideBlack->setValue(90);
    dialog.OptPickCol[1]->click();
    EXPECT_TRUE(thresholdControlsEnabled(dialog, false));
    EXPECT_TRUE(dialog.OptPickCol[1]->font().bold());
    dialog.OKButton->click();
    EXPECT_EQ(settings.PickUpPattern, 2);
    EXPECT_EQ(settings.BlackUpper, 90);
    EXPECT_EQ(window.panels[1], QStringLiteral("抽出モード：白以外"));
    EXPECT_NE(window.panels[1], StartupExtractionModeText(settings));
    EXPECT_EQ(StartupExtractionModeText(settings), QStringLiteral("抽出モード:白以外"));
}

TEST_F(DlgSettingTest, SwitchingBackToModeOneEnablesTheThresholdAgain) {
    settings.PickUpPattern = 2;
    dlgSetting dialog(settings, window, nullptr);
    dialog.OptPickCol[0]->click();
    EXPECT_TRUE(thresholdControlsEnabled(dialog, true));
    EXPECT_TRUE(dialog.OptPickCol[0]->font().bold());
    EXPECT_FALSE(dialog.OptPickCol[1]->font().bold());
}

TEST_F(DlgSettingTest, CancelAndTheCloseBoxChangeNothing) {
    for (bool useCloseBox : {false, true}) {
        dlgSetting dialog(settings, window, nullptr);
        dialog.show();
        dialog.SlideBlack->setValue(170);
        dialog.OptPickCol[1]->click();
        if (useCloseBox) {
            dialog.close();
        } else {
            dialog.CancelButton->click();
        }
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(settings.BlackUpper, 80);
        EXPECT_EQ(settings.PickUpPattern, 1);
        EXPECT_EQ(window.panels[1], QStringLiteral("before"));
    }
}

TEST_F(DlgSettingTest, EnterAndEscPressNeitherButton) {
    dlgSetting dialog(settings, window, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.SlideBlack->setValue(140);
    for (QWidget* focus : std::initializer_list<QWidget*>{dialog.SlideBlack, dialog.OKButton}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_FALSE(dialog.OKButton->isDefault());
    EXPECT_FALSE(dialog.CancelButton->isDefault());
    EXPECT_EQ(settings.BlackUpper, 80);
    EXPECT_EQ(window.panels[1], QStringLiteral("before"));
}

TEST_F(DlgSettingTest, TextTypedIntoTheBoxIsNeverRead) {
    dlgSetting dialog(settings, window, nullptr);
    dialog.txtBlack->setText(QStringLiteral("33"));
    dialog.OKButton->click();
    EXPECT_EQ(settings.BlackUpper, 80);
}

// Settings the controls cannot show: an unknown mode opens as mode 1, the default; a threshold
// outside 0..200 puts the slider at the nearer end. Only OK stores what is shown.
TEST_F(DlgSettingTest, UnknownModeOpensAsModeOneAndChangesOnlyOnOk) {
    for (int mode : {0, 3, -1}) {
        settings.PickUpPattern = mode;
        {
            dlgSetting dialog(settings, window, nullptr);
            EXPECT_TRUE(dialog.OptPickCol[0]->isChecked()) << mode;
            EXPECT_TRUE(thresholdControlsEnabled(dialog, true));
            dialog.CancelButton->click();
            EXPECT_EQ(settings.PickUpPattern, mode);
        }
        dlgSetting dialog(settings, window, nullptr);
        dialog.OKButton->click();
        EXPECT_EQ(settings.PickUpPattern, 1);
    }
}

TEST_F(DlgSettingTest, ThresholdOutsideTheSliderClampsToItsEnds) {
    settings.BlackUpper = 255;
    {
        dlgSetting dialog(settings, window, nullptr);
        EXPECT_EQ(dialog.SlideBlack->value(), 200);
        EXPECT_EQ(dialog.txtBlack->text(), QStringLiteral("200"));
        EXPECT_EQ(swatch(dialog), QColor(200, 200, 200));
        dialog.CancelButton->click();
        EXPECT_EQ(settings.BlackUpper, 255);
    }
    settings.BlackUpper = -40;
    dlgSetting dialog(settings, window, nullptr);
    EXPECT_EQ(dialog.SlideBlack->value(), 0);
    EXPECT_EQ(swatch(dialog), QColor(0, 0, 0));
    dialog.OKButton->click();
    EXPECT_EQ(settings.BlackUpper, 0);
}

TEST(WaitMenuTest, ChoosingAnItemChecksItAloneAndSetsTheWait) {
    SettingVariables settings;
    settings.WaitTime = 5;
    QMenu menu;
    WaitMenu waits(menu, settings);
    ASSERT_EQ(menu.actions().size(), WaitMenu::kItems);
    for (int i = 0; i < WaitMenu::kItems; ++i) {
        EXPECT_FALSE(waits.item(i)->isChecked());
    }
    waits.showStartupWait();
    EXPECT_TRUE(waits.item(5)->isChecked());

    waits.item(3)->trigger();
    EXPECT_EQ(settings.WaitTime, 3);
    for (int i = 0; i < WaitMenu::kItems; ++i) {
        EXPECT_EQ(waits.item(i)->isChecked(), i == 3) << i;
    }
    // Choosing the checked item again keeps its mark.
    waits.item(3)->trigger();
    EXPECT_TRUE(waits.item(3)->isChecked());
    EXPECT_EQ(settings.WaitTime, 3);

    waits.item(0)->trigger();
    EXPECT_EQ(settings.WaitTime, 0);
    for (int i = 0; i < WaitMenu::kItems; ++i) {
        EXPECT_EQ(waits.item(i)->isChecked(), i == 0) << i;
    }
}

TEST(WaitMenuTest, StartUpWaitOutsideTheMenuChecksNothing) {
    for (std::int16_t wait : {std::int16_t{12}, std::int16_t{-1}, std::int16_t{8}}) {
        SettingVariables settings;
        settings.WaitTime = wait;
        QMenu menu;
        WaitMenu waits(menu, settings);
        waits.showStartupWait();
        for (int i = 0; i < WaitMenu::kItems; ++i) {
            EXPECT_FALSE(waits.item(i)->isChecked()) << wait << " " << i;
        }
        waits.choose(7);
        for (int i = 0; i < WaitMenu::kItems; ++i) {
            EXPECT_EQ(waits.item(i)->isChecked(), i == 7);
        }
    }
}

}  // namespace
}  // namespace stylorex
