#include "ui/frm_graph.h"

#include "bench/acceptance_pictures.h"
#include "canvas/picture_box.h"
#include "engine/drawing_run.h"
#include "engine/run_plan.h"
#include "imaging/picture_decoder.h"
#include "os/point_picker.h"
#include "os/program_folder.h"
#include "os/run_lock.h"
#include "painter/bezier_tool.h"
#include "painter/drawing_tools.h"
#include "settings/language.h"
#include "settings/setting_table.h"
#include "tests/support/fake_clock.h"
#include "tests/support/named_child.h"
#include "tests/support/picture_files.h"
#include "tests/support/pointer_fake.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/screen_fake.h"
#include "tests/ui/window_checks.h"
#include "ui/dlg_palette.h"
#include "ui/dlg_setting.h"
#include "ui/picture_placement.h"
#include "ui/run_panels.h"
#include "ui/screen_pick_overlay.h"
#include "ui/viewport_scroll_bar.h"
#include "ui/wait_menu.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace stylorex {
namespace {

using Kind = PointerOperation::Kind;

class FrmGraphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_ = std::make_unique<frmGraph>(pointer_, &dialogs_);
        // Stored patterns land in the test's own folder.
        window_->setProgramFolder(dir_.path());
        window_->setSettingsPath(iniPath());
    }

    // A settings path that cannot be written: a plain file stands where its folder should be.
    QString unwritableSettingsPath() {
        QFile blocker(dir_.filePath(QStringLiteral("not-a-folder")));
        EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
        return dir_.filePath(QStringLiteral("not-a-folder/stylorex.ini"));
    }

    // The window's controls, by the names they carry.
    PictureBox& canvas() const { return *NamedChild<PictureBox>(*window_, "picSRC"); }
    ViewportScrollBar* hBar() const { return NamedChild<ViewportScrollBar>(*window_, "HBar"); }
    ViewportScrollBar* vBar() const { return NamedChild<ViewportScrollBar>(*window_, "VBar"); }
    QLineEdit* field(const char* name) const { return NamedChild<QLineEdit>(*window_, name); }
    QPushButton* button(const char* name) const { return NamedChild<QPushButton>(*window_, name); }
    QAction* action(const char* name) const { return NamedChild<QAction>(*window_, name); }

    bool canvasIsWhite() const {
        const QImage& image = canvas().persistentImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    return false;
                }
            }
        }
        return true;
    }

    bool patternStored(int slot) const {
        return QFile::exists(dir_.filePath(QStringLiteral(" %1.jpg").arg(slot))) ||
               QFile::exists(dir_.filePath(QStringLiteral(" %1.bmp").arg(slot)));
    }

    QString iniPath() const { return dir_.filePath(QStringLiteral("stylorex.ini")); }

    void writeIni(const QByteArray& text) {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray readIni() {
        QFile file(iniPath());
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return file.readAll();
    }

    void loadAndShow() {
        window_->load();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    void activate() {
        window_->activateWindow();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    // Resizes the window so that its outer size is `outer`.
    void resizeOuter(QSize outer) {
        const QSize margins = window_->frameGeometry().size() - window_->size();
        window_->resize(outer - margins);
        QCoreApplication::processEvents();
    }

    // A black horizontal line from (x0, y) to (x1, y) on the white canvas.
    void drawLine(int x0, int x1, int y) {
        QImage image = MakeCanvasImage(canvas().ScaleWidth(), canvas().ScaleHeight());
        for (int x = x0; x <= x1; ++x) {
            image.setPixel(x, y, qRgb(0, 0, 0));
        }
        canvas().setPicture(image);
    }

    // Runs `act` on the modal dialog as soon as one is open (the dialog's own event loop runs
    // it); gives up after a few seconds so that a dialog that never opens fails the test.
    void whenModal(std::function<void(QWidget*)> act, int attempts = 250) {
        QTimer::singleShot(20, &guard_, [this, act, attempts] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                act(modal);
            } else if (attempts > 0) {
                whenModal(act, attempts - 1);
            }
        });
    }

    // Runs `act` on the extraction dialog as soon as it is open (mnu_s_0 opens it).
    void whenExtractionDialog(std::function<void(dlgSetting&)> act) {
        whenModal([act](QWidget* modal) {
            auto* dialog = qobject_cast<dlgSetting*>(modal);
            if (dialog == nullptr) {
                ADD_FAILURE() << "not the extraction dialog";
                modal->close();
                return;
            }
            act(*dialog);
        });
    }

    // A left-button stroke on the canvas, as the pointer would draw it.
    void stroke(QPoint from, QPoint to) {
        auto send = [this](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
                           QPoint at) {
            QMouseEvent event(type, at, canvas().mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(&canvas(), &event);
        };
        send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from);
        send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, (from + to) / 2);
        send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to);
        send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to);
    }

    // Drags `path` onto the canvas and drops it there; true when the canvas took the drop.
    bool dropOnCanvas(const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&canvas(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&canvas(), &drop);
        return drop.isAccepted();
    }

    // Answers the next file dialog with `path`, as if typed into its name field.
    void answerFileDialog(const QString& path) {
        whenModal([path](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) {
                ADD_FAILURE() << "not a file dialog";
                modal->close();
                return;
            }
            // selectFile() leaves a focused name field as the user typed it.
            if (QWidget* focused = dialog->focusWidget()) {
                focused->clearFocus();
            }
            dialog->selectFile(path);
            // The same virtual accept(), public in QDialog.
            static_cast<QDialog*>(dialog)->accept();
            if (dialog->isVisible()) {
                ADD_FAILURE() << "not accepted: "
                              << dialog->selectedFiles().join(' ').toStdString();
                dialog->reject();
            }
        });
    }

    // A picture whose every pixel differs from its neighbours', so that a lost or moved pixel
    // shows.
    static QImage colourful(int width, int height) {
        QImage image = MakeCanvasImage(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
            }
        }
        return image;
    }

    QObject guard_;
    QTemporaryDir dir_;
    FakePointer pointer_;
    RecordingDialogs dialogs_;
    std::unique_ptr<frmGraph> window_;
};

// --- start-up -------------------------------------------------------------------------------

TEST_F(FrmGraphTest, FirstStartWithoutSettingsFileShowsTheDefaults) {
    ASSERT_FALSE(QFile::exists(iniPath()));
    loadAndShow();
    frmGraph& w = *window_;

    EXPECT_EQ(canvas().size(), QSize(200, 200));
    EXPECT_EQ(canvas().ScaleWidth(), 200);
    EXPECT_EQ(canvas().ScaleHeight(), 200);
    EXPECT_EQ(w.statusPanel(4), QStringLiteral("canvas:200*200"));
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("抽出モード:80以下"));
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("Wait: 5ms"));
    EXPECT_EQ(w.statusPanel(3), QString());
    for (int i = 0; i < WaitMenu::kItems; ++i) {
        EXPECT_EQ(w.waitMenu().item(i)->isChecked(), i == 5) << i;
    }
    EXPECT_EQ(NamedChild<QComboBox>(w, "cmbMethod")->currentIndex(), 1);
    EXPECT_EQ(NamedChild<QComboBox>(w, "cmbMethod")->currentText(), QStringLiteral("鉛筆"));
    EXPECT_EQ(NamedChild<QComboBox>(w, "cmbDrawStyle")->currentText(), QStringLiteral("実線"));
    EXPECT_EQ(NamedChild<QListWidget>(w, "ListFixed")->currentRow(), 0);
    EXPECT_EQ(NamedChild<QListWidget>(w, "ListFixed")->currentItem()->text(), QStringLiteral("1"));
    EXPECT_EQ(w.settings().PickUpPattern, 1);
    EXPECT_EQ(w.settings().WaitTime, 5);
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex"));
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("**"));
    EXPECT_EQ(field("txtStartY")->text(), QStringLiteral("**"));
    EXPECT_EQ(canvas().pos(), QPoint(0, 0));
}

TEST_F(FrmGraphTest, StartUpSelectionsReachTheComboBoxesSelectionHandlers) {
    QSignalSpy method(NamedChild<QComboBox>(*window_, "cmbMethod"),
                      &QComboBox::currentIndexChanged);
    QSignalSpy style(NamedChild<QComboBox>(*window_, "cmbDrawStyle"),
                     &QComboBox::currentIndexChanged);
    window_->load();
    ASSERT_EQ(method.count(), 1);
    EXPECT_EQ(method.at(0).at(0).toInt(), 1);
    ASSERT_EQ(style.count(), 1);
    EXPECT_EQ(style.at(0).at(0).toInt(), 0);
}

TEST_F(FrmGraphTest, WindowWithNoOtherWindowShownOpensInTheScreensTopLeftCorner) {
    loadAndShow();
    EXPECT_EQ(window_->frameGeometry().topLeft(),
              QGuiApplication::primaryScreen()->availableGeometry().topLeft());
}

TEST_F(FrmGraphTest, SettingsFileFromAPreviousStartIsHonoured) {
    writeIni(
        "[PickUpPattern]\r\nPattern=2\r\nBlackUpper=100\r\n[Other]\r\nWaitTime=3\r\n"
        "CanvasHeight=300\r\nCanvasWidth=250\r\nSmoothScaling=1\r\n");
    loadAndShow();
    frmGraph& w = *window_;
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("抽出モード:白以外"));
    EXPECT_TRUE(action("mnu_smooth")->isChecked());
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("Wait: 3ms"));
    EXPECT_EQ(w.statusPanel(4), QStringLiteral("canvas:300*250"));
    EXPECT_EQ(canvas().size(), QSize(250, 300));
    for (int i = 0; i < WaitMenu::kItems; ++i) {
        EXPECT_EQ(w.waitMenu().item(i)->isChecked(), i == 3) << i;
    }
    EXPECT_EQ(w.settings().PickUpPattern, 2);
    EXPECT_EQ(w.settings().BlackUpper, 100);
}

TEST_F(FrmGraphTest, StartUpRemovesWhatSavesAndStoresKilledBeforeTheirEndLeft) {
    const QStringList leftovers = {
        QStringLiteral(".") + ProgramBaseName() + QStringLiteral(".ini.k1ll3d"),
        QStringLiteral(". 3.jpg.k1ll3d")};
    for (const QString& name : leftovers) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        std::filesystem::last_write_time(
            QFile::encodeName(path).toStdString(),
            std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2));
    }
    window_->load();
    for (const QString& name : leftovers) {
        EXPECT_FALSE(QFile::exists(dir_.filePath(name))) << name.toStdString();
    }
}

TEST_F(FrmGraphTest, WaitOutsideTheMenuChecksNothingButIsShown) {
    writeIni("[Other]\r\nWaitTime=12\r\n");
    loadAndShow();
    for (int i = 0; i < WaitMenu::kItems; ++i) {
        EXPECT_FALSE(window_->waitMenu().item(i)->isChecked()) << i;
    }
    EXPECT_EQ(window_->statusPanel(2), QStringLiteral("Wait: 12ms"));
    window_->waitMenu().item(6)->trigger();
    for (int i = 0; i < WaitMenu::kItems; ++i) {
        EXPECT_EQ(window_->waitMenu().item(i)->isChecked(), i == 6) << i;
    }
    EXPECT_EQ(window_->settings().WaitTime, 6);
    EXPECT_EQ(window_->statusPanel(2), QStringLiteral("Wait: 12ms"));
}

TEST_F(FrmGraphTest, StoredCanvasSizeOfZeroOrLessFallsBackTo200By200) {
    writeIni("[Other]\r\nCanvasHeight=0\r\nCanvasWidth=-5\r\n");
    loadAndShow();
    EXPECT_EQ(canvas().size(), QSize(200, 200));
    EXPECT_EQ(window_->statusPanel(4), QStringLiteral("canvas:200*200"));
    EXPECT_EQ(window_->settings().CanvasHeight, 200);
    EXPECT_EQ(window_->settings().CanvasWidth, 200);
}

TEST_F(FrmGraphTest, StoredCanvasSizesOutsideTheMenusAreAppliedUpToASaneLimit) {
    window_->SetCanvasSize(50, 700);
    EXPECT_EQ(canvas().size(), QSize(700, 50));
    EXPECT_EQ(window_->statusPanel(4), QStringLiteral("canvas:50*700"));
    window_->SetCanvasSize(32767, 32767);
    EXPECT_EQ(canvas().size(), QSize(200, 200));
    EXPECT_EQ(window_->settings().CanvasWidth, 200);
}

TEST_F(FrmGraphTest, ClosingTheWindowSavesTheSettings) {
    loadAndShow();
    window_->waitMenu().item(2)->trigger();
    action("mnu_canvas_1")->trigger();
    action("mnu_smooth")->trigger();
    ASSERT_FALSE(QFile::exists(iniPath()));
    EXPECT_TRUE(window_->close());
    const QByteArray ini = readIni();
    EXPECT_TRUE(ini.contains("SmoothScaling=1")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("WaitTime=2")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("CanvasHeight=300")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("CanvasWidth=300")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("Pattern=1")) << ini.toStdString();
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(FrmGraphTest, ASaveThatCannotBeWrittenIsReportedOnCloseWithTheSystemsReason) {
    const QString unwritable = unwritableSettingsPath();
    window_->setSettingsPath(unwritable);
    loadAndShow();
    EXPECT_TRUE(window_->close());
    EXPECT_FALSE(QFile::exists(unwritable));
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    // The file would lie in a regular file, not a folder.
    EXPECT_EQ(dialogs_.messages[0].text,
              QStringLiteral("設定を保存できませんでした\n%1（%2）")
                  .arg(unwritable, QString::fromLocal8Bit(std::strerror(ENOTDIR))));
}

TEST_F(FrmGraphTest, ASignalsCloseSavesWithoutWaitingForAMessageBox) {
    const QString unwritable = unwritableSettingsPath();
    window_->setSettingsPath(unwritable);
    loadAndShow();
    window_->closeOnSignal();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(dialogs_.messages.empty());
}

// --- controls -------------------------------------------------------------------------------

struct ExpectedControl {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* caption;  // nullptr: not checked
};

QString captionOf(QWidget* widget) {
    if (auto* l = qobject_cast<QLabel*>(widget)) {
        return l->text();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(widget)) {
        return b->text();
    }
    if (auto* e = qobject_cast<QLineEdit*>(widget)) {
        return e->text();
    }
    if (auto* t = qobject_cast<QPlainTextEdit*>(widget)) {
        return t->toPlainText();
    }
    if (auto* g = qobject_cast<QGroupBox*>(widget)) {
        return g->title();
    }
    return {};
}

TEST_F(FrmGraphTest, ControlsSitWhereTheDesignPutsThem) {
    const ExpectedControl expectedControls[] = {
        {"FrameG", "clientArea", {0, 0, 249, 321}, nullptr},
        {"picSRC", "FrameG", {0, 0, 201, 201}, nullptr},
        {"txtChar", "picSRC", {176, 264, 145, 41}, ""},
        {"VBar", "clientArea", {248, 0, 17, 313}, nullptr},
        {"HBar", "clientArea", {0, 323, 193, 17}, nullptr},
        {"Frame1", "clientArea", {264, 0, 120, 329}, "簡易ペインタ"},
        {"Frame2", "clientArea", {0, 336, 385, 145}, nullptr},
        {"lblforecol", "clientArea", {368, 392, 25, 9}, "Label8"},
        {"Label8_0", "Frame1", {8, 16, 33, 25}, "図種"},
        {"cmbMethod", "Frame1", {3, 32, 67, 21}, nullptr},
        {"Label9_0", "Frame1", {69, 16, 33, 17}, "線種"},
        {"cmbDrawStyle", "Frame1", {69, 32, 49, 21}, nullptr},
        {"Label8_1", "Frame1", {48, 56, 25, 17}, "太さ"},
        {"FramLine", "Frame1", {8, 72, 49, 17}, nullptr},
        {"LineView", "FramLine", {0, 0, 49, 17}, nullptr},
        {"DWBar", "Frame1", {56, 72, 57, 17}, nullptr},
        {"Label9_1", "Frame1", {8, 96, 73, 17}, "<文字出力"},
        {"Label17", "Frame1", {24, 112, 33, 17}, "(x,y)"},
        {"txtTextOut_0", "Frame1", {48, 112, 33, 18}, "0"},
        {"txtTextOut_1", "Frame1", {80, 112, 33, 18}, "0"},
        {"Label10", "Frame1", {24, 136, 41, 17}, "傾き"},
        {"txtAngle", "Frame1", {64, 136, 33, 18}, "0"},
        {"Label16", "Frame1", {96, 136, 17, 17}, "度"},
        {"cmdfont", "Frame1", {32, 152, 81, 17}, "フォントの設定"},
        {"txtInput", "Frame1", {8, 168, 105, 121}, "text\n"},
        {"cmdDrawZtxt_0", "Frame1", {8, 288, 105, 17}, "普通に描画"},
        {"cmdDrawZtxt_1", "Frame1", {8, 304, 105, 20}, "中抜き描画"},
        {"cmdClear", "Frame2", {200, 0, 49, 17}, "クリア"},
        {"cmdload", "Frame2", {248, 0, 57, 17}, "画像読込"},
        {"cmdPaste", "Frame2", {304, 0, 49, 17}, "貼り付け"},
        {"Label15", "Frame2", {240, 24, 81, 17}, "定型画像"},
        {"ListFixed", "Frame2", {240, 40, 57, 98}, nullptr},
        {"cmdFixedStore", "Frame2", {304, 40, 65, 21}, "登録"},
        {"cmdFixedLoad", "Frame2", {304, 64, 65, 21}, "ロード"},
        {"txtStartX", "Frame2", {8, 72, 41, 18}, "**"},
        {"txtStartY", "Frame2", {48, 72, 41, 18}, "**"},
        {"lblScreenPoint", "Frame2", {168, 72, 71, 17}, "Label1"},
        {"cmdStart", "Frame2", {8, 112, 65, 17}, "処理"},
        {"Label7_0", "Frame2", {8, 8, 105, 17}, "描画先ウィンドウを"},
        {"Label7_1", "Frame2", {112, 8, 73, 17}, "横に並べる"},
        {"Label4_0", "Frame2", {8, 24, 57, 17}, "描画先で"},
        {"Label1", "Frame2", {64, 24, 97, 17}, "ペン・ブラシ、色"},
        {"Label12", "Frame2", {176, 24, 49, 17}, "を選択"},
        {"Label13", "Frame2", {0, 40, 177, 17}, "このウィンドウをアクティブに"},
        {"Label14", "Frame2", {168, 40, 57, 17}, "してから"},
        {"Label2_3", "Frame2", {8, 56, 89, 17}, "出力開始座標"},
        {"Label3", "Frame2", {96, 56, 113, 17}, "にマウスを動かし"},
        {"Label2_1", "Frame2", {88, 72, 41, 17}, "Ctrl+G"},
        {"Label2_0", "Frame2", {128, 72, 49, 17}, "で設定"},
        {"Label4_1", "Frame2", {8, 96, 169, 17}, "※マウス等から手を離し、"},
        {"Label11", "Frame2", {152, 96, 73, 17}, "Ｔａｂキーで"},
        {"Label5_0", "Frame2", {72, 112, 169, 17}, "このボタンに移動しエンター"},
        {"Label6", "Frame2", {72, 128, 161, 13}, "(中断する場合はESCキー)"},
    };
    for (const ExpectedControl& expected : expectedControls) {
        auto* widget = window_->findChild<QWidget*>(QString::fromUtf8(expected.name));
        ASSERT_NE(widget, nullptr) << expected.name;
        EXPECT_EQ(widget->geometry(), expected.geometry) << expected.name;
        ASSERT_NE(widget->parentWidget(), nullptr) << expected.name;
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf8(expected.parent))
            << expected.name;
        if (expected.caption != nullptr) {
            EXPECT_EQ(captionOf(widget), QString::fromUtf8(expected.caption)) << expected.name;
        }
    }
}

TEST_F(FrmGraphTest, ControlsCarryTheirKindsFontsColoursAndStates) {
    frmGraph& w = *window_;
    auto fontOf = [](QWidget* widget) { return widget->font(); };

    EXPECT_EQ(fontOf(NamedChild<QLabel>(w, "Label3")).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(fontOf(NamedChild<QLabel>(w, "Label3")).pixelSize(), 13);
    EXPECT_FALSE(fontOf(NamedChild<QLabel>(w, "Label3")).bold());
    EXPECT_EQ(fontOf(NamedChild<QLabel>(w, "Label2_3")).family(), QStringLiteral("IPAGothic"));
    EXPECT_TRUE(fontOf(NamedChild<QLabel>(w, "Label2_3")).bold());
    EXPECT_EQ(fontOf(NamedChild<QLabel>(w, "Label2_1")).family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(fontOf(button("cmdStart")).pixelSize(), 11);
    EXPECT_TRUE(fontOf(button("cmdStart")).bold());
    EXPECT_EQ(fontOf(button("cmdClear")).pixelSize(), 11);
    EXPECT_FALSE(fontOf(button("cmdClear")).bold());
    EXPECT_EQ(fontOf(NamedChild<QLabel>(w, "Label13")).pixelSize(), 12);
    EXPECT_TRUE(fontOf(NamedChild<QLabel>(w, "Label13")).bold());
    EXPECT_EQ(fontOf(button("cmdDrawZtxt_0")).pixelSize(), 12);
    EXPECT_EQ(fontOf(NamedChild<QListWidget>(w, "ListFixed")).pixelSize(), 16);
    EXPECT_EQ(fontOf(NamedChild<QLabel>(w, "Label6")).pixelSize(), 11);
    EXPECT_TRUE(fontOf(NamedChild<QGroupBox>(w, "Frame1")).bold());
    EXPECT_FALSE(fontOf(NamedChild<QLabel>(w, "Label8_0")).bold());
    EXPECT_EQ(fontOf(NamedChild<QStatusBar>(w, "StatusBar1")).pixelSize(), 11);

    EXPECT_EQ(NamedChild<QFrame>(w, "FrameG")->palette().color(QPalette::Window),
              QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(NamedChild<QFrame>(w, "Frame2")->palette().color(QPalette::Window),
              QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(NamedChild<QGroupBox>(w, "Frame1")->palette().color(QPalette::Window),
              QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(field("txtStartX")->palette().color(QPalette::Base), QColor(0x40, 0x40, 0x40));
    EXPECT_EQ(field("txtStartY")->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_EQ(NamedChild<QLabel>(w, "Label11")->palette().color(QPalette::WindowText),
              QColor(0x40, 0x40, 0x40));
    EXPECT_EQ(NamedChild<QLabel>(w, "lblforecol")->palette().color(QPalette::Window),
              QColor(Qt::black));

    EXPECT_TRUE(NamedChild<QLabel>(w, "lblforecol")->isHidden());
    EXPECT_TRUE(NamedChild<QPlainTextEdit>(w, "txtChar")->isHidden());
    EXPECT_EQ(NamedChild<QPlainTextEdit>(w, "txtChar")->frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(NamedChild<QLabel>(w, "Label10")->isEnabled());
    EXPECT_FALSE(field("txtAngle")->isEnabled());
    EXPECT_FALSE(NamedChild<QLabel>(w, "Label16")->isEnabled());
    EXPECT_EQ(NamedChild<QLabel>(w, "lblScreenPoint")->frameShape(), QFrame::Box);
    EXPECT_TRUE(NamedChild<QLabel>(w, "lblScreenPoint")->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(NamedChild<QFrame>(w, "FramLine")->toolTip(),
              QStringLiteral("描画する線の太さを決めます"));
    EXPECT_EQ(NamedChild<QPlainTextEdit>(w, "txtInput")->verticalScrollBarPolicy(),
              Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(NamedChild<QPlainTextEdit>(w, "txtInput")->horizontalScrollBarPolicy(),
              Qt::ScrollBarAlwaysOn);

    const QStringList tools = {"文字", "鉛筆", "直線",   "四角",
                               "正円", "楕円", "ベジェ", "消しゴム"};
    ASSERT_EQ(NamedChild<QComboBox>(w, "cmbMethod")->count(), tools.size());
    for (int i = 0; i < tools.size(); ++i) {
        EXPECT_EQ(NamedChild<QComboBox>(w, "cmbMethod")->itemText(i), tools[i]);
        EXPECT_EQ(NamedChild<QComboBox>(w, "cmbMethod")->itemData(i).toInt(), i);
    }
    ASSERT_EQ(NamedChild<QComboBox>(w, "cmbDrawStyle")->count(), 3);
    EXPECT_EQ(NamedChild<QComboBox>(w, "cmbDrawStyle")->itemText(2), QStringLiteral("点線"));
    EXPECT_EQ(NamedChild<QComboBox>(w, "cmbDrawStyle")->itemData(2).toInt(), 2);
    ASSERT_EQ(NamedChild<QListWidget>(w, "ListFixed")->count(), 7);
    EXPECT_EQ(NamedChild<QListWidget>(w, "ListFixed")->item(6)->text(), QStringLiteral("7"));

    // Panels 1 and 3 grown to "抽出モード:255以下" and a five-digit stroke count, panel 4 down to
    // "canvas:480*600".
    const int widths[] = {101, 67, 106, 89};
    for (int panel = 1; panel <= 4; ++panel) {
        auto* label = NamedChild<QStatusBar>(w, "StatusBar1")
                          ->findChild<QLabel*>(QStringLiteral("StatusBar1_panel%1").arg(panel));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->width(), widths[panel - 1]) << panel;
    }
    EXPECT_EQ(w.statusBar(), NamedChild<QStatusBar>(w, "StatusBar1"));
    EXPECT_EQ(NamedChild<QStatusBar>(w, "StatusBar1")->height(), 15);

    const PainterControls controls = w.painterControls();
    EXPECT_EQ(controls.picSRC, &canvas());
    EXPECT_EQ(controls.DWBar, NamedChild<QScrollBar>(w, "DWBar"));
    EXPECT_EQ(controls.txtTextOut[1], field("txtTextOut_1"));
    EXPECT_EQ(controls.cmdDrawZtxt[1], button("cmdDrawZtxt_1"));
    EXPECT_EQ(controls.mnu_menu1, NamedChild<QMenu>(w, "mnu_menu1"));
    EXPECT_EQ(controls.dialogs, &dialogs_);
}

// --- menus ----------------------------------------------------------------------------------

TEST_F(FrmGraphTest, MenuTreeHasTheCaptionsShortcutsAndCheckMarks) {
    frmGraph& w = *window_;
    const QList<QAction*> top = w.menuBar()->actions();
    ASSERT_EQ(top.size(), 4);
    EXPECT_EQ(top[0]->text(), QStringLiteral("元絵(&M)"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("設定(&S)"));
    EXPECT_EQ(top[2]->text(), QStringLiteral("Version(&V)"));
    EXPECT_EQ(top[3]->text(), QString());
    EXPECT_EQ(top[0]->menu(), NamedChild<QMenu>(w, "mnu_menu1"));
    EXPECT_EQ(top[1]->menu(), NamedChild<QMenu>(w, "mnu_setting"));
    EXPECT_EQ(top[2], action("mnu_version"));
    EXPECT_EQ(top[3]->menu(), NamedChild<QMenu>(w, "mnu_men"));
    EXPECT_TRUE(top[3]->isVisible());

    const QList<QAction*> picture = NamedChild<QMenu>(w, "mnu_menu1")->actions();
    ASSERT_EQ(picture.size(), 15);
    EXPECT_EQ(picture[0]->text(), QStringLiteral("ファイルから読込"));
    EXPECT_EQ(picture[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(picture[1]->text(), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼り付け"));
    EXPECT_EQ(picture[1]->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
    EXPECT_EQ(picture[2]->text(), QStringLiteral("クリア"));
    EXPECT_EQ(picture[2]->shortcut(), QKeySequence(QStringLiteral("Shift+Del")));
    EXPECT_EQ(picture[2]->objectName(), QStringLiteral("mnu_m_3"));
    EXPECT_TRUE(picture[3]->isSeparator());
    EXPECT_EQ(picture[4]->text(), QStringLiteral("画像に合わせて読み込む"));
    EXPECT_EQ(picture[5]->text(), QStringLiteral("描画範囲を選ぶ"));
    EXPECT_EQ(picture[5]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+G")));
    EXPECT_EQ(picture[6]->text(), QStringLiteral("なめらかに拡大縮小（写真向け）"));
    EXPECT_TRUE(picture[6]->isCheckable());
    EXPECT_FALSE(picture[6]->isChecked());
    EXPECT_TRUE(picture[7]->isSeparator());
    EXPECT_EQ(picture[8]->text(), QStringLiteral("元に戻す"));
    EXPECT_EQ(picture[8]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(picture[9]->text(), QStringLiteral("やり直し"));
    EXPECT_EQ(picture[9]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
    EXPECT_TRUE(picture[10]->isSeparator());
    EXPECT_EQ(picture[11]->text(), QStringLiteral("名前を付けて保存"));
    EXPECT_TRUE(picture[12]->isSeparator());
    EXPECT_EQ(picture[13]->text(), QStringLiteral("続きを描く"));
    EXPECT_EQ(picture[13]->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(picture[14]->text(), QStringLiteral("抽出プレビュー"));
    EXPECT_TRUE(picture[14]->isCheckable());

    const QList<QAction*> setting = NamedChild<QMenu>(w, "mnu_setting")->actions();
    ASSERT_EQ(setting.size(), 7);
    EXPECT_EQ(setting[0]->text(), QStringLiteral("線の抽出設定(S)"));
    EXPECT_EQ(setting[1]->text(), QStringLiteral("描画ウェイト(&W)"));
    EXPECT_EQ(setting[2]->text(), QStringLiteral("ｷｬﾝﾊﾞｽｻｲｽﾞ"));
    EXPECT_EQ(setting[3]->text(), QStringLiteral("描画を確かめながら進む"));
    EXPECT_EQ(setting[4]->text(), QStringLiteral("直線をまとめて動かす"));
    EXPECT_EQ(setting[5]->text(), QStringLiteral("パレット(&P)..."));
    EXPECT_EQ(setting[6]->text(), QStringLiteral("言語 / Language"));
    ASSERT_EQ(setting[6]->menu(), NamedChild<QMenu>(w, "mnu_language"));
    const QList<QAction*> languages = setting[6]->menu()->actions();
    ASSERT_EQ(languages.size(), 2);
    EXPECT_EQ(languages[0]->text(), QStringLiteral("日本語"));
    EXPECT_EQ(languages[1]->text(), QStringLiteral("English"));
    for (QAction* mode : {setting[3], setting[4]}) {
        EXPECT_TRUE(mode->isCheckable());
        EXPECT_FALSE(mode->isChecked());
    }
    ASSERT_NE(setting[1]->menu(), nullptr);
    const QList<QAction*> waits = setting[1]->menu()->actions();
    ASSERT_EQ(waits.size(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(waits[i]->text(), QStringLiteral("%1ms").arg(i));
        EXPECT_EQ(waits[i]->objectName(), QStringLiteral("mnu_waittime_%1").arg(i));
        EXPECT_TRUE(waits[i]->isCheckable());
        EXPECT_FALSE(waits[i]->isChecked()) << "nothing is checked before load";
    }
    ASSERT_NE(setting[2]->menu(), nullptr);
    const QList<QAction*> sizes = setting[2]->menu()->actions();
    ASSERT_EQ(sizes.size(), 4);
    EXPECT_EQ(sizes[0]->text(), QStringLiteral("200*200"));
    EXPECT_EQ(sizes[1]->text(), QStringLiteral("300*300"));
    EXPECT_EQ(sizes[2]->text(), QStringLiteral("460*600(最大)"));
    EXPECT_EQ(sizes[3]->text(), QStringLiteral("カスタム"));

    const QList<QAction*> hidden = NamedChild<QMenu>(w, "mnu_men")->actions();
    ASSERT_EQ(hidden.size(), 2);
    EXPECT_EQ(hidden[0]->text(), QStringLiteral("座標取得"));
    EXPECT_EQ(hidden[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    EXPECT_EQ(hidden[1]->text(), QStringLiteral("画像リフレッシュ"));
    EXPECT_EQ(NamedChild<QMenu>(w, "mnu_men")->title(), QString());
}

// The language comes from the environment at the start (no choice stored): English where
// LANGUAGE's first entry, or else LANG, names it; Japanese otherwise, C included.
TEST_F(FrmGraphTest, TheWindowSpeaksTheLanguageTheEnvironmentNames) {
    // The other cases go on in Japanese and their own environment, whatever happens here.
    struct Restore {
        QByteArray language = qgetenv("LANGUAGE");
        QByteArray lang = qgetenv("LANG");
        ~Restore() {
            qputenv("LANGUAGE", language);
            qputenv("LANG", lang);
            InstallTranslations(Language::Japanese);
        }
    } restore;
    struct Case {
        const char* language;
        const char* lang;
        bool english;
    };
    for (const Case& c : {Case{"en", "", true}, Case{"", "en_GB.UTF-8", true}, Case{"", "C", false},
                          Case{"", "", false}, Case{"ja:en", "en_US.UTF-8", false}}) {
        SCOPED_TRACE(std::string(c.language) + " / " + c.lang);
        qputenv("LANGUAGE", c.language);
        qputenv("LANG", c.lang);
        ASSERT_TRUE(InstallTranslations(StartupLanguage()));
        frmGraph w(pointer_, &dialogs_);
        w.setSettingsPath(iniPath());
        w.load();
        const QList<QAction*> top = w.menuBar()->actions();
        ASSERT_EQ(top.size(), 4);
        EXPECT_EQ(top[0]->text(),
                  c.english ? QStringLiteral("&Picture") : QStringLiteral("元絵(&M)"));
        EXPECT_EQ(top[1]->text(),
                  c.english ? QStringLiteral("&Settings") : QStringLiteral("設定(&S)"));
        EXPECT_EQ(
            NamedChild<QAction>(w, "mnu_m_1")->text(),
            c.english ? QStringLiteral("Load from file") : QStringLiteral("ファイルから読込"));
        EXPECT_EQ(NamedChild<QPushButton>(w, "cmdStart")->text(),
                  c.english ? QStringLiteral("Draw") : QStringLiteral("処理"));
        EXPECT_TRUE(
            NamedChild<QAction>(w, c.english ? "mnu_english" : "mnu_japanese")->isChecked());
    }
}

// The choice in the menu is kept for the next start, which then speaks it whatever the
// environment says.
TEST_F(FrmGraphTest, TheLanguageChosenInTheMenuIsKeptForTheNextStart) {
    loadAndShow();
    EXPECT_TRUE(action("mnu_japanese")->isChecked());
    action("mnu_english")->trigger();
    EXPECT_TRUE(action("mnu_english")->isChecked());
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList{QStringLiteral("言語は次の起動から切り替わります。")});
    EXPECT_TRUE(window_->close());
    EXPECT_TRUE(readIni().contains("Language=2")) << readIni().toStdString();
    StoredSettings stored;
    ReadSettings(iniPath(), stored, kOtherSection);
    EXPECT_EQ(PickLanguage(stored.LanguageChoice, "ja", "C"), Language::English);
}

TEST_F(FrmGraphTest, ShortcutsWorkWhileTheWindowIsActive) {
    loadAndShow();
    activate();
    frmGraph& w = *window_;
    pointer_.setPosition(QPoint(7, 9));

    QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("7"));
    EXPECT_EQ(field("txtStartY")->text(), QStringLiteral("9"));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [座標取得]"));
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("座標を取得"));

    pointer_.setPosition(QPoint(-300, 1024));
    QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("-300"));
    EXPECT_EQ(field("txtStartY")->text(), QStringLiteral("1024"));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [座標取得]"));

    // Ctrl+O opens the file dialog; cancelling it changes nothing.
    bool fileDialogOpened = false;
    whenModal([&](QWidget* modal) {
        fileDialogOpened = true;
        modal->close();
    });
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(fileDialogOpened);
    EXPECT_TRUE(canvasIsWhite());

    // Ctrl+V pastes the clipboard's picture.
    QImage black(5, 4, QImage::Format_RGB32);
    black.fill(Qt::black);
    QGuiApplication::clipboard()->setImage(black);
    activate();
    QTest::keyClick(&w, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(canvas().persistentImage().pixel(4, 3), qRgb(0, 0, 0));
    EXPECT_EQ(canvas().persistentImage().pixel(5, 3), qRgb(255, 255, 255));

    // Shift+Del clears it again.
    QTest::keyClick(&w, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(canvasIsWhite());
    QGuiApplication::clipboard()->clear();
}

TEST_F(FrmGraphTest, TimerShowsThePointerPositionAfterItsFirstTick) {
    EXPECT_EQ(NamedChild<QLabel>(*window_, "lblScreenPoint")->text(), QStringLiteral("Label1"));
    EXPECT_EQ(NamedChild<QTimer>(*window_, "Timer1")->interval(), 100);
    EXPECT_TRUE(NamedChild<QTimer>(*window_, "Timer1")->isActive());
    pointer_.setPosition(QPoint(7, 9));
    QSignalSpy tick(NamedChild<QTimer>(*window_, "Timer1"), &QTimer::timeout);
    ASSERT_TRUE(tick.wait(1000));
    EXPECT_EQ(NamedChild<QLabel>(*window_, "lblScreenPoint")->text(), QStringLiteral("007,009"));
    pointer_.setPosition(QPoint(1280, 1024));
    ASSERT_TRUE(tick.wait(1000));
    EXPECT_EQ(NamedChild<QLabel>(*window_, "lblScreenPoint")->text(), QStringLiteral("1280,1024"));
}

// Five-digit coordinates show whole in the origin fields and the live position, with the full
// value in the tool tip; nothing in the origin row overlaps.
TEST_F(FrmGraphTest, FiveDigitCoordinatesShowWhole) {
    frmGraph& w = *window_;
    w.show();
    auto* position = NamedChild<QLabel>(w, "lblScreenPoint");
    pointer_.setPosition(QPoint(12345, 10050));
    QSignalSpy tick(NamedChild<QTimer>(w, "Timer1"), &QTimer::timeout);
    ASSERT_TRUE(tick.wait(1000));
    ASSERT_EQ(position->text(), QStringLiteral("12345,10050"));
    EXPECT_EQ(position->toolTip(), position->text());
    EXPECT_LE(position->fontMetrics().horizontalAdvance(position->text()),
              position->contentsRect().width());

    pointer_.setPosition(QPoint(12345, 10050));
    w.captureOrigin();
    for (const char* name : {"txtStartX", "txtStartY"}) {
        QLineEdit* shown = field(name);
        ASSERT_EQ(shown->text().size(), 5) << name;
        EXPECT_EQ(shown->toolTip(), shown->text());
        QStyleOptionFrame option;
        option.initFrom(shown);
        option.lineWidth =
            shown->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, shown);
        // The text area less the margins a line edit keeps on each side (two pixels).
        const int room =
            shown->style()->subElementRect(QStyle::SE_LineEditContents, &option, shown).width() - 4;
        EXPECT_LE(shown->fontMetrics().horizontalAdvance(shown->text()), room) << name;
    }

    // What each control of the origin row shows: a frameless label its text, others their
    // whole face. None may run into another (neighbouring fields share their border pixel).
    std::vector<std::pair<QString, QRect>> shownParts;
    for (QWidget* widget : NamedChild<QFrame>(w, "Frame2")->findChildren<QWidget*>()) {
        if (widget->y() != position->y()) {
            continue;
        }
        QRect shownPart = widget->geometry();
        const auto* label = qobject_cast<QLabel*>(widget);
        if (label != nullptr && label->frameShape() == QFrame::NoFrame) {
            const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
            const int indent =
                label->alignment() & Qt::AlignHCenter ? (label->width() - textWidth) / 2 : 0;
            shownPart = QRect(label->x() + indent, label->y(), textWidth, label->height());
        }
        for (const auto& [other, otherPart] : shownParts) {
            EXPECT_FALSE(shownPart.adjusted(1, 0, -1, 0).intersects(otherPart))
                << widget->objectName().toStdString() << " runs into " << other.toStdString();
        }
        shownParts.emplace_back(widget->objectName(), shownPart.adjusted(1, 0, -1, 0));
    }
}

// Every fixed text of the window shows whole at the design size: labels, buttons and each
// entry of the drop-down boxes.
TEST_F(FrmGraphTest, EveryFixedTextFitsItsControl) {
    frmGraph& w = *window_;
    w.show();
    for (QLabel* label : w.findChildren<QLabel*>()) {
        if (label->objectName().startsWith(QStringLiteral("StatusBar1")) ||
            !label->isVisibleTo(&w) || label->text().isEmpty()) {
            continue;
        }
        const QSize needed = label->fontMetrics().size(0, label->text());
        EXPECT_LE(needed.width(), label->contentsRect().width())
            << label->objectName().toStdString() << " " << label->text().toStdString();
        EXPECT_LE(needed.height(), label->contentsRect().height())
            << label->objectName().toStdString() << " " << label->text().toStdString();
    }
    for (QPushButton* pushButton : w.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(pushButton);
        const QRect face =
            pushButton->style()->subElementRect(QStyle::SE_PushButtonContents, &option, pushButton);
        EXPECT_LE(pushButton->fontMetrics().horizontalAdvance(pushButton->text()), face.width())
            << pushButton->objectName().toStdString();
    }
    for (QComboBox* box : w.findChildren<QComboBox*>()) {
        QStyleOptionComboBox option;
        option.initFrom(box);
        const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, box);
        for (int i = 0; i < box->count(); ++i) {
            // The style draws the text one pixel inside the field on either side.
            EXPECT_LE(box->fontMetrics().horizontalAdvance(box->itemText(i)), field.width() - 2)
                << box->objectName().toStdString() << " " << box->itemText(i).toStdString();
        }
    }
}

// What a run, a pick or a load writes into the window, at its longest, shows whole.
TEST_F(FrmGraphTest, EveryDynamicTextShowsWholeOrCutShortWithItsWholeTextInTheToolTip) {
    loadAndShow();
    EXPECT_EQ(CutDynamicTexts(*window_).join(QLatin1Char('\n')).toStdString(), "");
}

// --- layout and scrolling -------------------------------------------------------------------

TEST_F(FrmGraphTest, LayoutFollowsTheOuterSizeWithItsFactors) {
    loadAndShow();
    frmGraph& w = *window_;
    for (QSize outer : {QSize(392, 600), QSize(492, 700)}) {
        resizeOuter(outer);
        const QSize actual = w.frameGeometry().size();
        ASSERT_EQ(actual, outer);
        const int viewportWidth = outer.width() - 17 - 126;         // VBar, 1.05 × Frame1
        const int viewportHeight = outer.height() - 30 - 68 - 145;  // status rows, 4 × HBar, Frame2
        EXPECT_EQ(NamedChild<QFrame>(w, "FrameG")->geometry(),
                  QRect(0, 0, viewportWidth, viewportHeight));
        EXPECT_EQ(vBar()->geometry(), QRect(viewportWidth, 0, 17, 313));
        EXPECT_EQ(hBar()->geometry(), QRect(0, viewportHeight, 193, 17));
        EXPECT_EQ(NamedChild<QFrame>(w, "Frame2")->geometry(),
                  QRect(0, viewportHeight + 17, 385, 145));
        EXPECT_EQ(NamedChild<QGroupBox>(w, "Frame1")->geometry(),
                  QRect(viewportWidth + 17, 0, 120, 329));
    }
}

// Whatever canvas size the last session saved, and whether or not the window manager adds a
// caption bar (which the formulas count in the outer height), the painter panel stays clear of
// "画像読込", "貼り付け" and "定型画像": the bottom panel goes down as far as the window has room,
// and the painter's text box gives up what it lacks.
TEST_F(FrmGraphTest, NothingOverlapsAtAnySavedCanvasSizeOrWindowHeight) {
    for (const QSize canvasSize :
         {QSize(100, 100), QSize(200, 120), QSize(200, 200), QSize(300, 300), QSize(600, 480)}) {
        writeIni(QStringLiteral("[Other]\r\nCanvasHeight=%1\r\nCanvasWidth=%2\r\n")
                     .arg(canvasSize.height())
                     .arg(canvasSize.width())
                     .toLatin1());
        window_ = std::make_unique<frmGraph>(pointer_, &dialogs_);
        window_->setProgramFolder(dir_.path());
        window_->setSettingsPath(iniPath());
        loadAndShow();
        ASSERT_EQ(QSize(canvas().ScaleWidth(), canvas().ScaleHeight()), canvasSize);
        EXPECT_EQ(OverlapsAndOverflows(*window_).join(QLatin1Char('\n')).toStdString(), "")
            << canvasSize.width() << "x" << canvasSize.height();
    }
    auto* painter = NamedChild<QGroupBox>(*window_, "Frame1");
    auto* bottom = NamedChild<QFrame>(*window_, "Frame2");
    auto* textBox = NamedChild<QPlainTextEdit>(*window_, "txtInput");
    // 541: the first start's height from a fresh clone under a window manager.
    for (const int height : {600, 541, 520, 480}) {
        resizeOuter(QSize(387, height));
        EXPECT_EQ(OverlapsAndOverflows(*window_).join(QLatin1Char('\n')).toStdString(), "")
            << height;
        EXPECT_GE(bottom->y(), painter->geometry().bottom() + 1) << height;
        EXPECT_EQ(button("cmdDrawZtxt_1")->geometry().bottom() + 1 + 5, painter->height())
            << "the text buttons move up with the box " << height;
        EXPECT_GE(textBox->height(), 53) << height;
    }
    resizeOuter(QSize(387, 600));
    EXPECT_EQ(painter->geometry(), QRect(painter->x(), 0, 120, 329));
    EXPECT_EQ(textBox->height(), 121);
}

TEST_F(FrmGraphTest, MinimisingChangesNothingAndRestoringLaysOutAgain) {
    loadAndShow();
    frmGraph& w = *window_;
    resizeOuter(QSize(400, 600));
    const QRect viewport = NamedChild<QFrame>(w, "FrameG")->geometry();
    const QRect frame1 = NamedChild<QGroupBox>(w, "Frame1")->geometry();

    w.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_EQ(NamedChild<QFrame>(w, "FrameG")->geometry(), viewport);
    w.resize(w.size() + QSize(50, 50));
    QCoreApplication::processEvents();
    EXPECT_EQ(NamedChild<QFrame>(w, "FrameG")->geometry(), viewport) << "no layout while minimised";
    EXPECT_EQ(NamedChild<QGroupBox>(w, "Frame1")->geometry(), frame1);

    w.setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    const QSize outer = w.frameGeometry().size();
    EXPECT_EQ(NamedChild<QFrame>(w, "FrameG")->size(),
              QSize(outer.width() - 143, outer.height() - 243));
}

TEST_F(FrmGraphTest, WindowTooSmallForTheFormulasGetsAnEmptyViewport) {
    loadAndShow();
    frmGraph& w = *window_;
    // The status bar's panels keep the window wider than the formulas need; the height can
    // shrink below them.
    resizeOuter(QSize(400, 150));
    const QSize outer = w.frameGeometry().size();
    ASSERT_LT(outer.height(), 243);
    EXPECT_EQ(NamedChild<QFrame>(w, "FrameG")->size(), QSize(outer.width() - 143, 0));
    EXPECT_EQ(hBar()->y(), 0);
    // The bottom panel stays below the painter panel, shrunk as far as it goes, and leaves the
    // window rather than cover it.
    const QRect painter = NamedChild<QGroupBox>(w, "Frame1")->geometry();
    EXPECT_EQ(painter.height(), 329 - (121 - 53));
    EXPECT_EQ(NamedChild<QFrame>(w, "Frame2")->y(), painter.bottom() + 1);
    EXPECT_EQ(vBar()->signedMaximum(), -200);
}

TEST_F(FrmGraphTest, WidePictureScrollsLeftUpToItsRightEdge) {
    loadAndShow();
    frmGraph& w = *window_;
    resizeOuter(QSize(392, 564));  // viewport 249 × 321
    ASSERT_EQ(NamedChild<QFrame>(w, "FrameG")->size(), QSize(249, 321));
    w.SetCanvasSize(480, 600);
    EXPECT_EQ(hBar()->signedMaximum(), -351);
    EXPECT_EQ(vBar()->signedMaximum(), -159);
    EXPECT_EQ(hBar()->pageStep(), 120);
    EXPECT_EQ(hBar()->singleStep(), 20);

    hBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(canvas().x(), -20) << "the right arrow shows more of the right part";
    hBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(hBar()->signedValue(), -351);
    EXPECT_EQ(canvas().x(), -351);
    vBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(canvas().y(), -159);
    hBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(canvas().x(), 0);

    // Dragging moves the picture before the thumb is released.
    vBar()->setSliderDown(true);
    vBar()->setSliderPosition(100);
    EXPECT_EQ(canvas().y(), -100);
    vBar()->setSliderDown(false);
}

TEST_F(FrmGraphTest, NarrowPictureScrollsRightInsideTheViewport) {
    loadAndShow();
    frmGraph& w = *window_;
    resizeOuter(QSize(392, 564));
    w.SetCanvasSize(200, 200);
    EXPECT_EQ(hBar()->signedMaximum(), 49);
    EXPECT_EQ(vBar()->signedMaximum(), 121);
    hBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(canvas().x(), 49);
    hBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(canvas().x(), 29);
}

TEST_F(FrmGraphTest, GrowingTheWindowShrinksTheRangesAndKeepsTheBarsLengths) {
    loadAndShow();
    frmGraph& w = *window_;
    resizeOuter(QSize(392, 564));
    w.SetCanvasSize(480, 600);
    hBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_EQ(canvas().x(), -351);

    resizeOuter(QSize(492, 664));
    EXPECT_EQ(hBar()->signedMaximum(), -251);
    EXPECT_EQ(vBar()->signedMaximum(), -59);
    EXPECT_EQ(canvas().x(), -251) << "a value outside the new range moves into it";
    EXPECT_EQ(hBar()->width(), 193);
    EXPECT_EQ(vBar()->height(), 313);
    EXPECT_EQ(vBar()->x(), 349);
    EXPECT_EQ(NamedChild<QGroupBox>(w, "Frame1")->x(), 366);
    EXPECT_EQ(NamedChild<QFrame>(w, "Frame2")->y(), 421 + 17);
}

TEST_F(FrmGraphTest, CanvasSizeItemsResizeAndReturnThePictureToTheCorner) {
    loadAndShow();
    frmGraph& w = *window_;
    resizeOuter(QSize(392, 564));
    w.SetCanvasSize(300, 300);
    hBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_NE(canvas().x(), 0);

    action("mnu_canvas_2")->trigger();
    EXPECT_EQ(canvas().size(), QSize(600, 480));
    EXPECT_EQ(canvas().pos(), QPoint(0, 0));
    EXPECT_EQ(hBar()->signedValue(), 0);
    EXPECT_EQ(w.statusPanel(4), QStringLiteral("canvas:480*600"));
    EXPECT_EQ(w.settings().CanvasHeight, 480);
    EXPECT_EQ(w.settings().CanvasWidth, 600);

    action("mnu_canvas_1")->trigger();
    EXPECT_EQ(w.statusPanel(4), QStringLiteral("canvas:300*300"));
    action("mnu_canvas_0")->trigger();
    EXPECT_EQ(canvas().size(), QSize(200, 200));
    EXPECT_EQ(w.statusPanel(4), QStringLiteral("canvas:200*200"));

    w.SetCanvasSize(150, 250);
    EXPECT_EQ(w.statusPanel(4), QStringLiteral("canvas:150*250"));
    EXPECT_EQ(hBar()->signedMaximum(), -1);

    // "カスタム" asks for the height first; cancelling it ends the command.
    action("mnu_canvas_3")->trigger();
    ASSERT_EQ(dialogs_.questions.size(), 1u);
    EXPECT_EQ(dialogs_.questions[0].text, QStringLiteral("高さを入力して下さい(最大480:最小100)"));
    EXPECT_EQ(w.statusPanel(4), QStringLiteral("canvas:150*250"));
}

// --- the start command ----------------------------------------------------------------------

TEST_F(FrmGraphTest, StartWithoutAnOriginCommitsThenRefuses) {
    loadAndShow();
    frmGraph& w = *window_;
    drawLine(5, 6, 5);
    canvas().setAutoRedraw(false);
    canvas().paintOnTarget([](QPainter& painter) { painter.fillRect(0, 0, 3, 3, Qt::black); });
    field("txtStartY")->setText(QStringLiteral("10"));
    w.startCommand();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, QStringLiteral("開始座標を設定してください"));
    EXPECT_EQ(dialogs_.messages[0].title, QStringLiteral("Stylorex"));
    // Refused: the caption and the activity are as they were before the start.
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex"));
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("Wait: 5ms"));
    EXPECT_TRUE(pointer_.operations().empty());
    // The commit happened first: the screen-only mark is gone, AutoRedraw is on again.
    EXPECT_TRUE(canvas().AutoRedraw());
    EXPECT_EQ(canvas().screenImage().pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(canvas().picture().pixel(5, 5), qRgb(0, 0, 0));
}

TEST_F(FrmGraphTest, StartWithAnOriginOffTheScreenIsRefused) {
    loadAndShow();
    frmGraph& w = *window_;
    drawLine(5, 6, 5);
    pointer_.setScreenSize(QSize(1280, 1024));
    field("txtStartX")->setText(QStringLiteral("1281"));
    field("txtStartY")->setText(QStringLiteral("0"));
    w.startCommand();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, QStringLiteral("開始座標が不正です"));
    EXPECT_TRUE(pointer_.operations().empty());
    EXPECT_EQ(w.statusPanel(3), QString());
}

TEST_F(FrmGraphTest, StartWhoseLinePixelsWouldLeaveTheScreenIsRefusedWithoutMoving) {
    loadAndShow();
    frmGraph& w = *window_;
    w.waitMenu().choose(0);
    pointer_.setScreenSize(QSize(1600, 1000));
    drawLine(5, 150, 99);  // the line pixels end at (150, 99) of the 200 × 200 canvas
    for (const auto& [x, y] : {std::pair{"1450", "900"}, {"1449", "901"}, {"-6", "0"}}) {
        field("txtStartX")->setText(QString::fromLatin1(x));
        field("txtStartY")->setText(QString::fromLatin1(y));
        w.startCommand();
        ASSERT_EQ(dialogs_.messages.size(), 1u) << x << "," << y;
        EXPECT_EQ(dialogs_.messages[0].text, QStringLiteral("描画範囲が画面からはみ出します"));
        EXPECT_EQ(w.caption(), QStringLiteral("Stylorex"));
        EXPECT_TRUE(pointer_.operations().empty());
        EXPECT_EQ(w.statusPanel(3), QString());
        dialogs_.messages.clear();
    }
    // The last line pixel on the screen's last column and row: drawn, though the canvas's white
    // part reaches beyond the edges.
    field("txtStartX")->setText(QStringLiteral("1449"));
    field("txtStartY")->setText(QStringLiteral("900"));
    w.startCommand();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(pointer_.operationsOfKind(Kind::Release),
              std::vector{FakePointer::Release(1599, 999)});
}

TEST_F(FrmGraphTest, StartRunsTheDrawingAndShowsTheStrokeCount) {
    loadAndShow();
    frmGraph& w = *window_;
    w.waitMenu().choose(0);
    drawLine(5, 6, 5);
    field("txtStartX")->setText(QStringLiteral("100"));
    field("txtStartY")->setText(QStringLiteral("200"));
    w.startCommand();
    EXPECT_TRUE(dialogs_.messages.empty());
    const auto presses = pointer_.operationsOfKind(Kind::Press);
    const auto releases = pointer_.operationsOfKind(Kind::Release);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0], FakePointer::Press(105, 205));
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0], FakePointer::Release(106, 205));
    EXPECT_FALSE(pointer_.leftButtonDown());
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:1"));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("処理終了"));
    EXPECT_FALSE(w.runState().inProgress());
}

TEST_F(FrmGraphTest, StartReadsTheCurrentSettings) {
    loadAndShow();
    frmGraph& w = *window_;
    w.waitMenu().choose(3);
    // A grey of 100 is no line pixel at the default threshold 80; at 120 it is.
    QImage image = MakeCanvasImage(200, 200);
    image.setPixel(4, 4, qRgb(100, 100, 100));
    canvas().setPicture(image);
    field("txtStartX")->setText(QStringLiteral("0"));
    field("txtStartY")->setText(QStringLiteral("0"));
    w.startCommand();
    EXPECT_TRUE(pointer_.operationsOfKind(Kind::Press).empty());
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:0"));

    w.settings().BlackUpper = 120;
    w.startCommand();
    EXPECT_EQ(pointer_.operationsOfKind(Kind::Press).size(), 1u);
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:1"));
}

TEST_F(FrmGraphTest, WhereEscCannotStopTheRunTheUserConfirmsItFirst) {
    loadAndShow();
    frmGraph& w = *window_;
    w.waitMenu().choose(0);
    drawLine(5, 6, 5);
    field("txtStartX")->setText(QStringLiteral("100"));
    field("txtStartY")->setText(QStringLiteral("200"));
    pointer_.setCanWatchEsc(false);
    dialogs_.confirmAnswer = false;
    w.startCommand();
    ASSERT_EQ(dialogs_.confirmations.size(), 1u);
    EXPECT_TRUE(
        dialogs_.confirmations[0].text.contains(QStringLiteral("Esc で止めることはできません")))
        << dialogs_.confirmations[0].text.toStdString();
    EXPECT_TRUE(pointer_.operations().empty()) << "declined, yet the run went ahead";

    dialogs_.confirmAnswer = true;
    w.startCommand();
    EXPECT_EQ(dialogs_.confirmations.size(), 2u);
    EXPECT_EQ(pointer_.operationsOfKind(Kind::Press).size(), 1u);
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:1"));

    // A run that would be refused anyway (another run holds the display) is refused without
    // the question first.
    pointer_.setDisplayName(
        QStringLiteral("test-display-%1").arg(QCoreApplication::applicationPid()));
    {
        const RunLock otherRun(pointer_.displayName());
        w.startCommand();
    }
    EXPECT_EQ(dialogs_.confirmations.size(), 2u) << "asked about a run that was then refused";
    EXPECT_EQ(dialogs_.messages.size(), 1u);

    // Where Esc is watched, nobody is asked.
    pointer_.setCanWatchEsc(true);
    w.startCommand();
    EXPECT_EQ(dialogs_.confirmations.size(), 2u);
    EXPECT_EQ(pointer_.operationsOfKind(Kind::Press).size(), 2u);
}

// A pick that the user makes on the screen (Wayland): the window goes on meanwhile, and a
// cancelled or failed pick leaves the origin as it was.
TEST_F(FrmGraphTest, CtrlGTakesThePickedPointWhenItComesAndKeepsTheOriginWithoutOne) {
    struct HeldPick : PointPicker {
        bool pick(Done done) override {
            if (pending) {
                return false;
            }
            pending = std::move(done);
            return true;
        }
        void answer(const Result& result) { std::exchange(pending, nullptr)(result); }
        Done pending;
    } picker;
    window_->setPointPicker(picker);
    loadAndShow();
    frmGraph& w = *window_;
    field("txtStartX")->setText(QStringLiteral("10"));
    field("txtStartY")->setText(QStringLiteral("20"));

    w.captureOrigin();
    ASSERT_TRUE(picker.pending);
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("10"));
    picker.answer({});
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("10"));
    EXPECT_EQ(field("txtStartY")->text(), QStringLiteral("20"));
    EXPECT_TRUE(dialogs_.messages.empty());

    w.captureOrigin();
    picker.answer({std::nullopt, QStringLiteral("slurp がありません")});
    EXPECT_EQ(dialogs_.messageTexts(), QStringList{QStringLiteral("slurp がありません")});
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("10"));

    w.captureOrigin();
    picker.answer({QPoint(300, 400), {}});
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("300"));
    EXPECT_EQ(field("txtStartY")->text(), QStringLiteral("400"));
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [座標取得]"));
}

// Both picks leave the focus where it was: Ctrl+Z then undoes the painter's last step (a line
// edit with the focus would take it for its own undo) and Tab goes on from there.
TEST_F(FrmGraphTest, APickGivesTheFocusBackSoCtrlZUndoesThePainterAndTabGoesOnAsBefore) {
    FakeScreen screen(QGuiApplication::primaryScreen()->geometry().size());
    window_->setScreenReader(&screen);
    loadAndShow();
    activate();
    QListWidget* patterns = NamedChild<QListWidget>(*window_, "ListFixed");
    patterns->setFocus();
    QTest::keyClick(patterns, Qt::Key_Tab);
    QWidget* afterTab = QApplication::focusWidget();
    ASSERT_NE(afterTab, patterns);
    const QImage blank = canvas().persistentImage();

    for (const char* pick : {"mnu_getpt", "mnu_pickArea"}) {
        stroke(QPoint(10, 10), QPoint(60, 40));
        ASSERT_NE(canvas().persistentImage(), blank) << pick;
        patterns->setFocus();
        pointer_.setPosition(QPoint(300, 200));
        action(pick)->trigger();
        ScreenPickOverlay& overlay = window_->placement().areaPick();
        if (!overlay.veils().empty()) {
            ScreenPickVeil* veil = overlay.veils().front();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(veil));
            QTest::mouseClick(veil, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return field("txtStartX")->text() == "300"; })) << pick;
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get())) << pick;
        EXPECT_EQ(QApplication::focusWidget(), patterns) << pick;

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(canvas().persistentImage(), blank) << pick << ": Ctrl+Z undid nothing";
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), afterTab) << pick;
        field("txtStartX")->setText(QStringLiteral("**"));
    }
}

TEST_F(FrmGraphTest, EnterStartsARunOnlyWhileTheButtonHasTheFocus) {
    loadAndShow();
    activate();
    EXPECT_FALSE(button("cmdStart")->isDefault());
    EXPECT_FALSE(button("cmdStart")->autoDefault());
    EXPECT_TRUE(button("cmdStart")->focusPolicy() & Qt::TabFocus);

    field("txtStartX")->setFocus();
    QTest::keyClick(field("txtStartX"), Qt::Key_Return);
    EXPECT_TRUE(dialogs_.messages.empty()) << "Enter elsewhere starts nothing";

    // Tab reaches the button from the origin fields.
    field("txtStartY")->setFocus();
    for (int i = 0; i < 60 && QApplication::focusWidget() != button("cmdStart"); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), button("cmdStart"));
    QTest::keyClick(button("cmdStart"), Qt::Key_Return);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, QStringLiteral("開始座標を設定してください"));
    QTest::keyClick(button("cmdStart"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialogs_.messages.size(), 2u);
}

// Enter is pressed with the hand off the mouse: "処理" shows plainly that it has the focus, with a
// frame two pixels wide in the highlight colour that it lacks without the focus.
TEST_F(FrmGraphTest, TheStartButtonShowsItsFocusPlainly) {
    loadAndShow();
    activate();
    QPushButton* start = button("cmdStart");
    const QColor highlight = start->palette().color(QPalette::Highlight);
    const auto framed = [&] {
        const QImage face = start->grab().toImage();
        for (int x = 0; x < face.width(); ++x) {
            for (const int y : {0, 1, face.height() - 2, face.height() - 1}) {
                if (face.pixelColor(x, y) != highlight) {
                    return false;
                }
            }
        }
        for (int y = 0; y < face.height(); ++y) {
            for (const int x : {0, 1, face.width() - 2, face.width() - 1}) {
                if (face.pixelColor(x, y) != highlight) {
                    return false;
                }
            }
        }
        return true;
    };
    field("txtStartX")->setFocus();
    EXPECT_FALSE(framed());
    start->setFocus();
    ASSERT_TRUE(start->hasFocus());
    EXPECT_TRUE(framed());
}

TEST_F(FrmGraphTest, DuringARunCommandsThatWouldDisturbItAreRefused) {
    loadAndShow();
    frmGraph& w = *window_;
    w.waitMenu().choose(0);
    drawLine(0, 59, 10);
    field("txtStartX")->setText(QStringLiteral("0"));
    field("txtStartY")->setText(QStringLiteral("0"));
    QSignalSpy running(&w.runState(), &RunState::inProgressChanged);
    QImage clipboardPicture(8, 8, QImage::Format_RGB32);
    clipboardPicture.fill(Qt::black);
    QGuiApplication::clipboard()->setImage(clipboardPicture);
    bool dialogOpened = false;
    bool checked = false;
    const QList<QAction*> refusedActions = {
        action("mnu_m_1"),      action("mnu_m_2"),      action("mnu_m_3"),
        action("mnu_s_0"),      action("mnu_canvas_0"), action("mnu_canvas_1"),
        action("mnu_canvas_2"), action("mnu_canvas_3"), action("mnu_version"),
        action("mnu_work"),     action("mnu_undo"),     action("mnu_saveAs"),
        action("mnu_fitLoad"),  action("mnu_pickArea"), action("mnu_palette")};
    const QString droppedFile = dir_.filePath(QStringLiteral("dropped.png"));
    ASSERT_TRUE(MakeCanvasImage(30, 30).save(droppedFile));
    const QList<QWidget*> refusedButtons = {button("cmdClear"),      button("cmdload"),
                                            button("cmdPaste"),      button("cmdFixedStore"),
                                            button("cmdFixedLoad"),  button("cmdDrawZtxt_0"),
                                            button("cmdDrawZtxt_1"), button("cmdfont")};

    pointer_.onOperation = [&](const PointerOperation& op) {
        if (checked || op.kind != Kind::Move || pointer_.moveCount() != 3) {
            return;
        }
        checked = true;
        EXPECT_TRUE(w.runState().inProgress());
        // The refused commands show it; "処理" stays enabled, so it keeps the keyboard focus.
        for (QAction* item : refusedActions) {
            EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
        }
        for (QWidget* control : refusedButtons) {
            EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
        }
        EXPECT_TRUE(button("cmdStart")->isEnabled());
        button("cmdStart")->click();
        w.startCommand();
        action("mnu_canvas_2")->trigger();
        action("mnu_canvas_3")->trigger();
        action("mnu_m_1")->trigger();
        action("mnu_m_2")->trigger();
        button("cmdClear")->click();
        button("cmdFixedStore")->click();
        button("cmdFixedLoad")->click();
        QTest::mouseClick(&canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        EXPECT_FALSE(canvas().acceptDrops());
        dropOnCanvas(droppedFile);
        // A dialog that did open would be noted and closed again.
        auto closeAnyDialog = [&](QWidget* modal) {
            dialogOpened = true;
            modal->close();
        };
        whenModal(closeAnyDialog, 10);
        action("mnu_s_0")->trigger();
        whenModal(closeAnyDialog, 10);
        action("mnu_version")->trigger();
    };
    w.startCommand();

    EXPECT_TRUE(checked);
    EXPECT_FALSE(dialogOpened);
    EXPECT_EQ(pointer_.operationsOfKind(Kind::Press).size(), 1u) << "one run only";
    EXPECT_EQ(canvas().size(), QSize(200, 200));
    // Neither the paste nor the clear reached the picture, no input box asked for a size, and
    // no pattern was stored.
    EXPECT_EQ(canvas().persistentImage().pixel(20, 10), qRgb(0, 0, 0));
    EXPECT_EQ(canvas().persistentImage().pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(canvas().persistentImage().pixel(100, 100), qRgb(255, 255, 255))
        << "the pencil drew during the run";
    EXPECT_TRUE(dialogs_.questions.empty());
    EXPECT_FALSE(patternStored(1));
    ASSERT_EQ(running.count(), 2);
    EXPECT_TRUE(running.at(0).at(0).toBool());
    EXPECT_FALSE(running.at(1).at(0).toBool());
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:1"));

    // After the run everything answers again.
    for (QAction* item : refusedActions) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    }
    for (QWidget* control : refusedButtons) {
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
    button("cmdClear")->click();
    button("cmdFixedStore")->click();
    EXPECT_TRUE(canvasIsWhite());
    EXPECT_TRUE(patternStored(1));
    QGuiApplication::clipboard()->clear();
}

TEST_F(FrmGraphTest, ClosingDuringARunStopsItReleasesTheButtonThenSaves) {
    loadAndShow();
    frmGraph& w = *window_;
    w.waitMenu().choose(0);
    drawLine(0, 99, 10);
    field("txtStartX")->setText(QStringLiteral("50"));
    field("txtStartY")->setText(QStringLiteral("60"));
    bool closeAccepted = true;
    bool savedBeforeRelease = false;
    pointer_.onOperation = [&](const PointerOperation& op) {
        if (op.kind == Kind::Move && pointer_.moveCount() == 5) {
            closeAccepted = w.close();
        }
        if (op.kind == Kind::Release) {
            savedBeforeRelease = QFile::exists(iniPath());
        }
    };
    w.startCommand();

    EXPECT_FALSE(closeAccepted) << "the close waits for the run";
    EXPECT_FALSE(savedBeforeRelease);
    EXPECT_FALSE(pointer_.leftButtonDown());
    ASSERT_FALSE(pointer_.operations().empty());
    const auto releases = pointer_.operationsOfKind(Kind::Release);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_LT(pointer_.moveCount(), 20) << "the run stopped";
    EXPECT_TRUE(QFile::exists(iniPath()));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.statusPanel(3), QStringLiteral("概算ｽﾄﾛｰｸ数:0"));
}

// --- dialogs --------------------------------------------------------------------------------

// A click delivered as the window system delivers it, so that a modal dialog can block it.
void clickThroughTheWindowSystem(QWidget* widget) {
    QWidget* top = widget->window();
    const QPoint at = widget->mapTo(top, widget->rect().center());
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

TEST_F(FrmGraphTest, AboutBoxShowsItsTextsAndClosesOnEnterAndEsc) {
    loadAndShow();
    frmGraph& w = *window_;
    drawLine(0, 20, 5);
    pointer_.setPosition(QPoint(7, 9));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Return}) {
        QString title, name, version, purpose, ok;
        bool modal = false;
        bool purposeFits = false;
        QPoint centre;
        bool closedByKey = false;
        whenModal([&](QWidget* box) {
            modal = box->isModal();
            title = box->windowTitle();
            name = box->findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
            version = box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
            const auto* purposeLabel = box->findChild<QLabel*>(QStringLiteral("lblPurpose"));
            purpose = purposeLabel->text();
            purposeFits =
                purposeLabel->heightForWidth(purposeLabel->width()) <= purposeLabel->height() &&
                box->rect().contains(purposeLabel->geometry());
            ok = box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text();
            centre = box->frameGeometry().center();
            // The main window takes no input while the box is open.
            clickThroughTheWindowSystem(button("cmdClear"));
            QTest::keyClick(w.windowHandle(), Qt::Key_G, Qt::ControlModifier);
            QTest::keyClick(box, key);
            closedByKey = !box->isVisible();
            if (!closedByKey) {
                box->close();
            }
        });
        action("mnu_version")->trigger();
        EXPECT_TRUE(closedByKey) << key;
        EXPECT_TRUE(modal);
        EXPECT_EQ(title, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        EXPECT_EQ(name, QStringLiteral("Stylorex"));
        EXPECT_EQ(version, QStringLiteral("ﾊﾞｰｼﾞｮﾝ   0.4β"));
        EXPECT_EQ(purpose, QStringLiteral("小さな絵を、マウスを動かして他のソフトに描き写します"));
        EXPECT_TRUE(purposeFits) << "the line is cut off";
        EXPECT_EQ(ok, QStringLiteral("OK"));
        EXPECT_LE((centre - w.frameGeometry().center()).manhattanLength(), 2);
    }
    EXPECT_FALSE(canvasIsWhite()) << "the click on クリア reached the window";
    EXPECT_EQ(field("txtStartX")->text(), QStringLiteral("**"));
    // Once the box is closed, the same click reaches the window.
    clickThroughTheWindowSystem(button("cmdClear"));
    EXPECT_TRUE(canvasIsWhite());

    // From the keyboard as the menus beside it open: Alt+V selects "Version(&V)", Enter opens
    // the box (Esc lets it go), and the focus is back where it was.
    activate();
    button("cmdStart")->setFocus();
    bool opened = false;
    whenModal([&](QWidget* box) {
        opened = true;
        box->close();
    });
    QTest::keyClick(&w, Qt::Key_V, Qt::AltModifier);
    EXPECT_FALSE(opened) << "Alt+V alone opened the box: the Enter after it closes it at once";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(opened);
    EXPECT_EQ(w.focusWidget(), button("cmdStart"));
    activate();
    QTest::keyClick(&w, Qt::Key_V, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(w.menuBar()->activeAction(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), button("cmdStart"));
}

TEST_F(FrmGraphTest, ExtractionDialogOkWritesTheModeIntoStatusPanelOne) {
    loadAndShow();
    frmGraph& w = *window_;
    whenExtractionDialog([&](dlgSetting& dialog) {
        dialog.SlideBlack->setValue(120);
        dialog.OKButton->click();
    });
    action("mnu_s_0")->trigger();
    EXPECT_EQ(w.settings().BlackUpper, 120);
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("抽出モード:120以下"));
}

// --- undo, drop, save, the window's place ----------------------------------------------------

TEST_F(FrmGraphTest, UndoAndRedoWalkThroughEveryPictureCommandAndARunLeavesThemAlone) {
    loadAndShow();
    frmGraph& w = *window_;
    EXPECT_FALSE(action("mnu_undo")->isEnabled()) << "start-up is no step";
    EXPECT_FALSE(action("mnu_redo")->isEnabled());
    const QString file = dir_.filePath(QStringLiteral("loaded.png"));
    ASSERT_TRUE(colourful(90, 70).save(file));
    QImage clipboardPicture(30, 20, QImage::Format_RGB32);
    clipboardPicture.fill(Qt::black);

    std::vector<QImage> states = {canvas().persistentImage()};
    std::vector<QString> sizes = {w.statusPanel(4)};
    auto step = [&](const char* what, const std::function<void()>& act) {
        act();
        EXPECT_NE(canvas().persistentImage(), states.back())
            << what << " " << dialogs_.messageTexts().join('|').toStdString();
        states.push_back(canvas().persistentImage());
        sizes.push_back(w.statusPanel(4));
        EXPECT_EQ(canvas().history().undoSteps(), static_cast<int>(states.size()) - 1) << what;
    };
    step("pencil", [&] { stroke(QPoint(10, 10), QPoint(60, 40)); });
    button("cmdFixedStore")->click();  // commits: no step
    step("load", [&] {
        answerFileDialog(file);
        action("mnu_m_1")->trigger();
    });
    step("paste", [&] {
        QGuiApplication::clipboard()->setImage(clipboardPicture);
        action("mnu_m_2")->trigger();
    });
    step("clear", [&] { button("cmdClear")->click(); });
    step("pattern", [&] { button("cmdFixedLoad")->click(); });
    step("canvas size", [&] { action("mnu_canvas_1")->trigger(); });
    EXPECT_EQ(sizes.back(), QStringLiteral("canvas:300*300"));

    w.waitMenu().choose(0);
    field("txtStartX")->setText(QStringLiteral("0"));
    field("txtStartY")->setText(QStringLiteral("0"));
    w.startCommand();
    EXPECT_FALSE(pointer_.operationsOfKind(Kind::Press).empty());
    EXPECT_EQ(canvas().persistentImage(), states.back());
    EXPECT_EQ(canvas().history().undoSteps(), static_cast<int>(states.size()) - 1);

    // Ctrl+Z all the way back; the canvas size and its status panel go back too. The dialogs
    // above took the activation with them.
    activate();
    button("cmdStart")->setFocus();
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        EXPECT_TRUE(action("mnu_undo")->isEnabled()) << i;
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(canvas().persistentImage(), states[i - 1]) << i;
        EXPECT_EQ(canvas().size(), states[i - 1].size()) << i;
        EXPECT_EQ(w.statusPanel(4), sizes[i - 1]) << i;
    }
    EXPECT_FALSE(action("mnu_undo")->isEnabled());
    // The menu item, then Ctrl+Y for the rest.
    action("mnu_redo")->trigger();
    EXPECT_EQ(canvas().persistentImage(), states[1]);
    for (std::size_t i = 2; i < states.size(); ++i) {
        QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(canvas().persistentImage(), states[i]) << i;
        EXPECT_EQ(w.statusPanel(4), sizes[i]) << i;
    }
    EXPECT_FALSE(action("mnu_redo")->isEnabled());
    EXPECT_EQ(w.settings().CanvasHeight, 300);
    QGuiApplication::clipboard()->clear();
}

TEST_F(FrmGraphTest, ABezierCurveLeftUnderEditNeverReachesThePictureOrASavedFile) {
    loadAndShow();
    activate();
    // The handles are pure red and green; nothing else on this canvas is.
    auto handlePixels = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb rgb = image.pixel(x, y) & 0xffffffu;
                count += rgb == 0xff0000u || rgb == 0x00ff00u ? 1 : 0;
            }
        }
        return count;
    };
    QComboBox* tools = NamedChild<QComboBox>(*window_, "cmbMethod");
    const BezierTool& bezier = window_->painter()->bezier();
    tools->setCurrentIndex(kToolBezier);
    stroke(QPoint(40, 100), QPoint(160, 100));
    ASSERT_GT(handlePixels(canvas().screenImage()), 0) << "no curve under edit";
    tools->setCurrentIndex(kToolRectangle);
    stroke(QPoint(20, 20), QPoint(60, 50));

    // The undo brings back the picture without the rectangle, and not the abandoned curve.
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(handlePixels(canvas().persistentImage()), 0);
    EXPECT_EQ(handlePixels(canvas().screenImage()), 0);
    EXPECT_EQ(bezier.BezState(), 0);

    tools->setCurrentIndex(kToolBezier);
    stroke(QPoint(40, 150), QPoint(100, 150));
    ASSERT_EQ(bezier.BezState(), 1);
    tools->setCurrentIndex(kToolPencil);
    button("cmdClear")->click();
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(handlePixels(canvas().persistentImage()), 0);

    const QString path = dir_.filePath(QStringLiteral("saved.png"));
    answerFileDialog(path);
    QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
    const QImage saved(path);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(handlePixels(saved), 0);

    // A folder gone meanwhile is said with the system's reason, and leaves nothing behind.
    const QStringList filesBefore = QDir(dir_.path()).entryList(QDir::Files);
    const QString refused = dir_.filePath(QStringLiteral("gone/saved.png"));
    answerFileDialog(refused);
    activate();  // the dialog above took the activation with it
    QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text,
              QStringLiteral("画像を保存できませんでした\n%1\n%2")
                  .arg(refused, QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), filesBefore);
    dialogs_.messages.clear();

    // A press where the old curve's end handle stood starts a new curve there.
    tools->setCurrentIndex(kToolBezier);
    stroke(QPoint(100, 150), QPoint(100, 150));
    EXPECT_EQ(bezier.BezPoints()[0], QPoint(100, 148));
    EXPECT_EQ(bezier.BezState(), 1);
}

TEST_F(FrmGraphTest, ALargePictureIsSaidToBeCutAndTheFittedLoadScalesItToTheLargestCanvas) {
    loadAndShow();
    activate();
    QStatusBar* status = NamedChild<QStatusBar>(*window_, "StatusBar1");
    const QString large = dir_.filePath(QStringLiteral("large.png"));
    ASSERT_TRUE(colourful(700, 500).save(large));
    const QString small = dir_.filePath(QStringLiteral("small.png"));
    ASSERT_TRUE(colourful(50, 40).save(small));

    ASSERT_TRUE(dropOnCanvas(large));
    EXPECT_EQ(status->currentMessage(),
              QStringLiteral("画像の左上 200×200 を使います（元の大きさ 700×500）"));
    ASSERT_TRUE(dropOnCanvas(small));
    EXPECT_TRUE(status->currentMessage().isEmpty());

    // One step: the picture and the canvas size together.
    const int steps = canvas().history().undoSteps();
    answerFileDialog(large);
    action("mnu_fitLoad")->trigger();
    EXPECT_EQ(canvas().persistentImage().size(), QSize(600, 429));
    EXPECT_EQ(window_->statusPanel(4), QStringLiteral("canvas:429*600"));
    EXPECT_EQ(status->currentMessage(),
              QStringLiteral("画像を 600×429 に縮小しました（元の大きさ 700×500）"));
    EXPECT_EQ(canvas().history().undoSteps(), steps + 1);
    activate();  // the dialog took the activation with it
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window_->statusPanel(4), QStringLiteral("canvas:200*200"));

    answerFileDialog(small);
    action("mnu_fitLoad")->trigger();
    EXPECT_TRUE(test::SamePixels(canvas().persistentImage(), colourful(50, 40)));
    EXPECT_EQ(status->currentMessage(),
              QStringLiteral("キャンバスを画像の大きさ 50×40 にしました"));
}

TEST_F(FrmGraphTest, ADroppedPictureFileLoadsAndADamagedOneChangesNothingAndSaysWhy) {
    loadAndShow();
    const QImage picture = colourful(90, 70);
    const QString good = dir_.filePath(QStringLiteral("dropped.png"));
    ASSERT_TRUE(picture.save(good));
    const QString damaged = dir_.filePath(QStringLiteral("damaged.png"));
    ASSERT_TRUE(test::WriteFile(damaged, test::QtWritten(picture, "png").left(80)));

    EXPECT_TRUE(canvas().acceptDrops());
    EXPECT_TRUE(dropOnCanvas(good));
    const QImage loaded = canvas().persistentImage();
    EXPECT_TRUE(test::SamePixels(loaded.copy(0, 0, 90, 70), picture));
    EXPECT_EQ(loaded.pixel(90, 70), qRgb(255, 255, 255));

    dropOnCanvas(damaged);
    EXPECT_EQ(canvas().persistentImage(), loaded);
    ASSERT_EQ(dialogs_.messages.size(), 1u) << "as the load command, it says which file and why";
    EXPECT_TRUE(dialogs_.messages.front().text.contains(QStringLiteral("damaged.png")));
    EXPECT_EQ(canvas().history().undoSteps(), 1);
}

TEST_F(FrmGraphTest, APictureSavedAsPngOrBmpReadsBackWithEveryPixelAndJpegIsOffered) {
    loadAndShow();
    canvas().setPicture(colourful(200, 200));
    stroke(QPoint(10, 10), QPoint(150, 120));
    const QImage drawn = canvas().persistentImage();
    // A name without a suffix gets the default format's.
    for (const auto& [typed, written, magic] :
         {std::tuple{"drawing", "drawing.png", QByteArray("\x89PNG")},
          std::tuple{"drawing.bmp", "drawing.bmp", QByteArray("BM")}}) {
        SCOPED_TRACE(written);
        answerFileDialog(dir_.filePath(QString::fromUtf8(typed)));
        action("mnu_saveAs")->trigger();
        const QString path = dir_.filePath(QString::fromUtf8(written));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(magic.size()) == magic);
        const std::optional<QImage> reloaded = DecodePictureFile(path);
        ASSERT_TRUE(reloaded.has_value());
        EXPECT_TRUE(test::SamePixels(*reloaded, drawn));
    }
    // JPEG loses detail by design; the file must still be a JPEG of the canvas's size.
    answerFileDialog(dir_.filePath(QStringLiteral("drawing.jpg")));
    action("mnu_saveAs")->trigger();
    QFile jpeg(dir_.filePath(QStringLiteral("drawing.jpg")));
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(jpeg.read(2) == QByteArray("\xff\xd8"));
    const std::optional<QImage> reloadedJpeg = DecodePictureFile(jpeg.fileName());
    ASSERT_TRUE(reloadedJpeg.has_value());
    EXPECT_EQ(reloadedJpeg->size(), drawn.size());
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(FrmGraphTest, TheWindowComesBackWhereItWasUnlessThatIsOffTheScreens) {
    loadAndShow();
    const QRect place(40, 30, 430, 540);
    ASSERT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(place));
    window_->setGeometry(place);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window_->close());
    EXPECT_TRUE(
        readIni().contains("WindowLeft=40\r\nWindowTop=30\r\nWindowWidth=430\r\n"
                           "WindowHeight=540\r\n"))
        << readIni().toStdString();

    auto reopen = [this] {
        window_ = std::make_unique<frmGraph>(pointer_, &dialogs_);
        window_->setProgramFolder(dir_.path());
        window_->setSettingsPath(iniPath());
        loadAndShow();
    };
    reopen();
    EXPECT_EQ(window_->geometry(), place);

    // Beyond the right edge of every screen: placed as at the first start.
    QByteArray ini = readIni();
    ini.replace("WindowLeft=40", "WindowLeft=5000");
    writeIni(ini);
    reopen();
    EXPECT_EQ(window_->frameGeometry().topLeft(),
              QGuiApplication::primaryScreen()->availableGeometry().topLeft());
}

// --- the plan, the progress, resume and the extraction preview ------------------------------

// The pixels a run drew, in order: where it pressed and every new place it moved to while the
// button was down.
std::vector<QPoint> DrawnPixels(const std::vector<PointerOperation>& operations) {
    std::vector<QPoint> drawn;
    bool down = false;
    for (const PointerOperation& op : operations) {
        const QPoint at(op.x, op.y);
        if (op.kind == Kind::Press) {
            down = true;
            drawn.push_back(at);
        } else if (op.kind == Kind::Release) {
            down = false;
        } else if (op.kind == Kind::Move && down && drawn.back() != at) {
            drawn.push_back(at);
        }
    }
    return drawn;
}

std::vector<QPoint> Sorted(std::vector<QPoint> points) {
    std::sort(points.begin(), points.end(),
              [](QPoint a, QPoint b) { return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x()); });
    return points;
}

// A clock that moves a fixed step each time it is read (the work between two reads, about
// what the window's yield costs) and by the whole time it is asked to sleep.
class SteppingClock : public MonotonicClock {
  public:
    explicit SteppingClock(std::chrono::microseconds step) : step_(step) {}
    std::chrono::steady_clock::time_point now() override {
        const auto read = now_;
        now_ += step_;
        return read;
    }
    void sleepFor(std::chrono::nanoseconds time) override { now_ += time; }

  private:
    std::chrono::microseconds step_;
    std::chrono::steady_clock::time_point now_{};
};

class RunPanelsTest : public FrmGraphTest {
  protected:
    void SetUp() override {
        FrmGraphTest::SetUp();
        window_->setClock(clock_);
        loadAndShow();
        // The fake clock does not move by itself: no fixed wait.
        window_->waitMenu().choose(0);
        window_->SetCanvasSize(480, 600);
        canvas().setPicture(MakeAcceptancePicture(AcceptancePicture::LineArt));
        field("txtStartX")->setText(QStringLiteral("10"));
        field("txtStartY")->setText(QStringLiteral("20"));
    }

    QLabel* planPanel() const { return NamedChild<QLabel>(*window_, "StatusBar1_plan"); }
    QProgressBar* progressBar() const {
        return NamedChild<QProgressBar>(*window_, "StatusBar1_progress");
    }
    int panelThreeCount() const {
        return window_->statusPanel(3).section(QLatin1Char(':'), 1).toInt();
    }

    FakeClock clock_;
    SteppingClock steppingClock_{std::chrono::microseconds(10)};
};

TEST_F(RunPanelsTest, AtTheFirstStartSizeThePlanProgressAndCheckHaveRoomUnderThePainter) {
    frmGraph& w = *window_;
    const QWidget* frame2 = NamedChild<QFrame>(w, "Frame2");
    const int painterBottom = frame2->mapTo(&w, QPoint(0, frame2->height())).y();
    const QRect statusBar = NamedChild<QStatusBar>(w, "StatusBar1")->geometry();
    for (const QWidget* panel :
         {static_cast<QWidget*>(planPanel()), static_cast<QWidget*>(progressBar()),
          static_cast<QWidget*>(NamedChild<QLabel>(w, "StatusBar1_panel5"))}) {
        const QRect at(panel->mapTo(&w, QPoint(0, 0)), panel->size());
        EXPECT_TRUE(panel->isVisible()) << panel->objectName().toStdString();
        EXPECT_GE(at.width(), 110) << panel->objectName().toStdString();
        EXPECT_GE(at.top(), painterBottom) << panel->objectName().toStdString();
        EXPECT_LE(at.bottom(), statusBar.top()) << panel->objectName().toStdString();
        EXPECT_LE(at.right(), w.width()) << panel->objectName().toStdString();
    }
}

TEST_F(RunPanelsTest, ThePlanPanelShowsTheStrokesAndPixelsTheRunThenDraws) {
    frmGraph& w = *window_;
    // The plan follows the picture, a while after it changed.
    const QRegularExpression form(QStringLiteral("^([0-9,]+)本 ([0-9,]+)px 約([0-9,]+)秒$"));
    QRegularExpressionMatch plan;
    QTRY_VERIFY((plan = form.match(planPanel()->text())).hasMatch() &&
                plan.captured(1) != QStringLiteral("0"));
    const auto number = [&](int i) { return plan.captured(i).remove(QLatin1Char(',')).toInt(); };
    EXPECT_GT(number(2), 999) << "thousands are grouped";

    w.startCommand();
    const std::vector<QPoint> drawn = DrawnPixels(pointer_.operations());
    EXPECT_EQ(number(1), static_cast<int>(pointer_.operationsOfKind(Kind::Press).size()));
    EXPECT_EQ(number(1), panelThreeCount());
    EXPECT_EQ(number(2), static_cast<int>(drawn.size()));

    // A setting the run reads changes the plan: at a wait of 7 ms the same strokes take longer.
    w.waitMenu().item(7)->trigger();
    QTRY_VERIFY(form.match(planPanel()->text()).captured(3) != plan.captured(3));
    EXPECT_EQ(form.match(planPanel()->text()).captured(1), plan.captured(1));
}

TEST_F(RunPanelsTest, TheEstimateComesWithinATenthOfTheRunsTimeAtEveryWait) {
    frmGraph& w = *window_;
    SteppingClock& clock = steppingClock_;
    w.setClock(clock);
    for (const bool join : {false, true}) {
        if (action("mnu_joinRuns")->isChecked() != join) {
            action("mnu_joinRuns")->trigger();
        }
        for (const int wait : {1, 5, 7}) {
            w.waitMenu().item(wait)->trigger();
            // The window's extraction settings are the defaults in this fixture.
            RunModes modes;
            modes.JoinRuns = join;
            const RunPlan plan =
                PlanPicture(canvas().persistentImage(), ExtractionSettings{}, modes);
            const auto estimate = EstimatedRunTime(plan, wait);
            const auto start = clock.now();
            w.startCommand();
            const auto took =
                std::chrono::duration_cast<std::chrono::milliseconds>(clock.now() - start);
            ASSERT_EQ(w.runState().lastResult().ending, RunResult::Ending::Completed);
            EXPECT_NEAR(static_cast<double>(estimate.count()) / took.count(), 1.0, 0.1)
                << "join " << join << ", wait " << wait << ": estimate " << estimate.count()
                << " ms, run " << took.count() << " ms";
        }
    }
}

TEST_F(RunPanelsTest, ProgressReachesItsEndWhenTheRunCompletesAndIsResetOnEsc) {
    frmGraph& w = *window_;
    std::vector<int> countsDuringRun;
    bool fullBeforeEnd = false;
    pointer_.onOperation = [&](const PointerOperation& op) {
        if (op.kind == Kind::Move) {
            clock_.advance(std::chrono::milliseconds(7));
        }
        if (op.kind == Kind::Release && w.runState().inProgress()) {
            countsDuringRun.push_back(panelThreeCount());
            fullBeforeEnd = fullBeforeEnd || (progressBar()->value() == progressBar()->maximum() &&
                                              progressBar()->value() > 0);
        }
    };
    w.startCommand();
    const int strokes = static_cast<int>(pointer_.operationsOfKind(Kind::Press).size());
    ASSERT_GT(strokes, 10);
    EXPECT_FALSE(fullBeforeEnd);
    EXPECT_EQ(progressBar()->maximum(), strokes);
    EXPECT_EQ(progressBar()->value(), strokes);
    EXPECT_EQ(panelThreeCount(), strokes);
    // Panel 3 counted up during the run, never down.
    ASSERT_FALSE(countsDuringRun.empty());
    EXPECT_TRUE(std::is_sorted(countsDuringRun.begin(), countsDuringRun.end()));
    EXPECT_GT(countsDuringRun.back(), countsDuringRun.front());

    pointer_.tapEscAfterMoves(pointer_.moveCount() + 1200);
    bool progressShown = false;
    pointer_.onOperation = [&](const PointerOperation& op) {
        if (op.kind == Kind::Move) {
            clock_.advance(std::chrono::milliseconds(7));
            progressShown = progressShown || progressBar()->value() > 0;
        }
    };
    w.startCommand();
    ASSERT_EQ(w.runState().lastResult().ending, RunResult::Ending::Aborted);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(progressBar()->value(), 0);
    EXPECT_EQ(progressBar()->format(), ResumeHintText()) << "the bar says how to go on";
}

TEST_F(RunPanelsTest, ResumeDrawsWhatTheStoppedRunLeftAndIsDisabledAfterACanvasChange) {
    frmGraph& w = *window_;
    QAction* resume = action("mnu_resume");
    EXPECT_FALSE(resume->isEnabled());
    w.startCommand();
    const std::vector<QPoint> full = Sorted(DrawnPixels(pointer_.operations()));

    const std::size_t before = pointer_.operations().size();
    pointer_.tapEscAfterMoves(pointer_.moveCount() + 500);
    w.startCommand();
    ASSERT_EQ(w.runState().lastResult().ending, RunResult::Ending::Aborted);
    std::vector<PointerOperation> runs(pointer_.operations().begin() + before,
                                       pointer_.operations().end());
    EXPECT_TRUE(resume->isEnabled());

    bool disabledDuringRun = false;
    pointer_.onOperation = [&](const PointerOperation&) {
        disabledDuringRun =
            disabledDuringRun || (!resume->isEnabled() && w.runState().inProgress());
    };
    const std::size_t resumedFrom = pointer_.operations().size();
    resume->trigger();
    pointer_.onOperation = nullptr;
    EXPECT_TRUE(disabledDuringRun);
    EXPECT_EQ(w.runState().lastResult().ending, RunResult::Ending::Completed);
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_FALSE(resume->isEnabled());
    runs.insert(runs.end(), pointer_.operations().begin() + resumedFrom,
                pointer_.operations().end());
    // Both runs together: every pixel of one full run, none twice.
    EXPECT_EQ(Sorted(DrawnPixels(runs)), full);

    // Stopped again, then the extraction or the canvas changes: nothing left to resume.
    pointer_.tapEscAfterMoves(pointer_.moveCount() + 100);
    w.startCommand();
    ASSERT_TRUE(resume->isEnabled());
    whenExtractionDialog([](dlgSetting& dialog) {
        dialog.SlideBlack->setValue(120);
        dialog.OKButton->click();
    });
    action("mnu_s_0")->trigger();
    EXPECT_FALSE(resume->isEnabled());
    pointer_.tapEscAfterMoves(pointer_.moveCount() + 100);
    w.startCommand();
    ASSERT_TRUE(resume->isEnabled());
    action("mnu_m_3")->trigger();
    EXPECT_FALSE(resume->isEnabled());
    const std::size_t operations = pointer_.operations().size();
    resume->trigger();
    w.resumeCommand();
    EXPECT_EQ(pointer_.operations().size(), operations);
}

// --- after a run: what the panels say once it stopped, is refused, or the picture changed ----

TEST_F(RunPanelsTest, AfterEscTheWindowSaysHowToGoOnUntilThePictureChanges) {
    frmGraph& w = *window_;
    const QString file = dir_.filePath(QStringLiteral("other.png"));
    ASSERT_TRUE(colourful(40, 30).save(file));
    pointer_.tapEscAfterMoves(pointer_.moveCount() + 500);
    w.startCommand();
    ASSERT_EQ(w.runState().lastResult().ending, RunResult::Ending::Aborted);
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [中断しました]"));
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("中断"));
    EXPECT_EQ(progressBar()->format(), QStringLiteral("Ctrl+R で続きを描く"));
    EXPECT_EQ(progressBar()->value(), 0);
    // The strokes the target got whole: every release but the one that ended the stopped stroke.
    const int releases = static_cast<int>(pointer_.operationsOfKind(Kind::Release).size());
    ASSERT_GT(releases, 2);
    EXPECT_EQ(panelThreeCount(), releases - 1);

    // A new picture: nothing is left to go on with, and the panel no longer offers it, also when
    // the picture came through a load that said "読込中…" meanwhile.
    ASSERT_TRUE(dropOnCanvas(file));
    EXPECT_FALSE(action("mnu_resume")->isEnabled());
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("中断"));
    EXPECT_EQ(progressBar()->format(), QString());

    canvas().setPicture(MakeAcceptancePicture(AcceptancePicture::LineArt));
    pointer_.tapEscAfterMoves(pointer_.moveCount() + 500);
    w.startCommand();
    ASSERT_EQ(progressBar()->format(), QStringLiteral("Ctrl+R で続きを描く"));
    action("mnu_m_3")->trigger();
    EXPECT_EQ(w.statusPanel(2), QStringLiteral("中断"));
    EXPECT_EQ(progressBar()->format(), QString());
}

TEST_F(RunPanelsTest, EveryChangeOfThePictureClearsTheLastRunsProgressAndCheck) {
    frmGraph& w = *window_;
    w.setClock(steppingClock_);
    FakeScreen screen;
    w.setScreenReader(&screen);
    action("mnu_followTarget")->setChecked(false);
    const QImage lineArt = MakeAcceptancePicture(AcceptancePicture::LineArt);
    const QString file = dir_.filePath(QStringLiteral("other.png"));
    ASSERT_TRUE(colourful(40, 30).save(file));
    QImage clipboardPicture(30, 20, QImage::Format_RGB32);
    clipboardPicture.fill(Qt::black);
    canvas().setPicture(clipboardPicture);
    button("cmdFixedStore")->click();

    struct Change {
        const char* name;
        std::function<void()> before;  // before the run
        std::function<void()> change;
    };
    const std::vector<Change> changes = {
        {"load",
         {},
         [&] {
             answerFileDialog(file);
             action("mnu_m_1")->trigger();
         }},
        {"paste",
         {},
         [&] {
             QGuiApplication::clipboard()->setImage(clipboardPicture);
             action("mnu_m_2")->trigger();
         }},
        {"drop", {}, [&] { ASSERT_TRUE(dropOnCanvas(file)); }},
        {"pattern", {}, [&] { button("cmdFixedLoad")->click(); }},
        {"clear", {}, [&] { action("mnu_m_3")->trigger(); }},
        {"canvas size", {}, [&] { action("mnu_canvas_1")->trigger(); }},
        {"undo", {}, [&] { action("mnu_undo")->trigger(); }},
        {"redo", [&] { action("mnu_undo")->trigger(); }, [&] { action("mnu_redo")->trigger(); }},
        {"painter", {}, [&] { stroke(QPoint(10, 10), QPoint(60, 40)); }},
    };
    for (const Change& c : changes) {
        w.SetCanvasSize(480, 600);
        canvas().setPicture(lineArt);
        if (c.before) {
            canvas().setPicture(clipboardPicture);
            c.before();
        }
        w.startCommand();
        ASSERT_EQ(w.runState().lastResult().ending, RunResult::Ending::Completed) << c.name;
        ASSERT_FALSE(progressBar()->text().isEmpty()) << c.name;
        ASSERT_FALSE(w.statusPanel(5).isEmpty()) << c.name;
        const std::string count = w.statusPanel(3).toStdString();
        c.change();
        // A loaded or pasted picture is decoded apart and arrives a moment later.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return progressBar()->text().isEmpty() && w.statusPanel(5).isEmpty(); }, 10000))
            << c.name;
        EXPECT_EQ(progressBar()->value(), 0) << c.name;
        EXPECT_TRUE(progressBar()->text().isEmpty()) << c.name;
        EXPECT_TRUE(w.statusPanel(5).isEmpty()) << c.name;
        EXPECT_TRUE(NamedChild<QLabel>(w, "StatusBar1_panel5")->toolTip().isEmpty()) << c.name;
        // The last run's result stays where it always stood.
        EXPECT_EQ(w.statusPanel(3).toStdString(), count) << c.name;
    }
    QGuiApplication::clipboard()->clear();
}

TEST_F(RunPanelsTest, EveryRefusedStartPutsTheCaptionAndTheActivityBack) {
    frmGraph& w = *window_;
    pointer_.setDisplayName(
        QStringLiteral("test-display-%1").arg(QCoreApplication::applicationPid()));
    pointer_.setPosition(QPoint(10, 20));
    action("mnu_getpt")->trigger();
    const QString caption = w.caption();
    const QString activity = w.statusPanel(2);
    ASSERT_EQ(caption, QStringLiteral("Stylorex [座標取得]"));

    struct Refusal {
        const char* name;
        std::function<void()> arrange;
        std::function<void()> undo;
    };
    std::optional<RunLock> otherRun;
    const std::vector<Refusal> refusals = {
        {"no origin", [&] { field("txtStartX")->setText(QStringLiteral("**")); },
         [&] { field("txtStartX")->setText(QStringLiteral("10")); }},
        {"origin off the screen", [&] { field("txtStartY")->setText(QStringLiteral("99999")); },
         [&] { field("txtStartY")->setText(QStringLiteral("20")); }},
        {"lines off the screen", [&] { field("txtStartY")->setText(QStringLiteral("1000")); },
         [&] { field("txtStartY")->setText(QStringLiteral("20")); }},
        {"another run", [&] { otherRun.emplace(pointer_.displayName()); },
         [&] { otherRun.reset(); }},
        {"Esc cannot stop it, and the user says no", [&] { pointer_.setCanWatchEsc(false); },
         [&] { pointer_.setCanWatchEsc(true); }},
    };
    for (const Refusal& r : refusals) {
        r.arrange();
        w.startCommand();
        EXPECT_EQ(dialogs_.messages.size() + dialogs_.confirmations.size(), 1u) << r.name;
        EXPECT_TRUE(pointer_.operationsOfKind(Kind::Press).empty()) << r.name;
        EXPECT_EQ(w.caption(), caption) << r.name;
        EXPECT_EQ(w.statusPanel(2), activity) << r.name;
        dialogs_.messages.clear();
        dialogs_.confirmations.clear();
        r.undo();
    }
    w.startCommand();
    EXPECT_EQ(w.caption(), QStringLiteral("Stylorex [処理完了]"));
}

TEST_F(RunPanelsTest, ThePreviewFollowsTheSliderAndNeverTouchesThePersistentImage) {
    frmGraph& w = *window_;
    QImage picture = MakeCanvasImage(200, 200);
    picture.setPixel(3, 3, qRgb(0, 0, 0));
    picture.setPixel(5, 5, qRgb(100, 100, 100));
    canvas().setPicture(picture);
    const QImage persistent = canvas().persistentImage();
    const QByteArray bytes(reinterpret_cast<const char*>(persistent.constBits()),
                           static_cast<qsizetype>(persistent.sizeInBytes()));
    const auto sameBytes = [&] {
        const QImage& now = canvas().persistentImage();
        return QByteArray(reinterpret_cast<const char*>(now.constBits()),
                          static_cast<qsizetype>(now.sizeInBytes())) == bytes;
    };
    const auto shown = [&](int x, int y) { return canvas().grab().toImage().pixel(x, y); };
    const QRgb white = shown(50, 50);

    action("mnu_preview")->trigger();
    EXPECT_TRUE(sameBytes());
    // The line pixel stands out; the grey of 100 is no line pixel at 80 and fades.
    const QRgb line = shown(3, 3);
    EXPECT_NE(line, qRgb(0, 0, 0));
    EXPECT_GT(qRed(line), 2 * qGreen(line));
    EXPECT_GT(qGray(shown(5, 5)), 100);
    EXPECT_EQ(shown(50, 50), white);

    // The slider moved in the dialog: the grey becomes a line pixel at once; Cancel puts it back.
    QRgb whileOpen = 0;
    whenExtractionDialog([&](dlgSetting& dialog) {
        dialog.SlideBlack->setValue(120);
        whileOpen = shown(5, 5);
        dialog.CancelButton->click();
    });
    action("mnu_s_0")->trigger();
    EXPECT_EQ(whileOpen, line);
    EXPECT_NE(shown(5, 5), line);
    EXPECT_TRUE(sameBytes());

    // A mark the painter shows but has not committed (a line being dragged) stays in view.
    canvas().setAutoRedraw(false);
    canvas().paintOnTarget([](QPainter& painter) {
        painter.setPen(QColor(0, 0, 255));
        painter.drawLine(40, 50, 60, 50);
    });
    EXPECT_EQ(shown(50, 50), qRgb(0, 0, 255));
    EXPECT_EQ(shown(3, 3), line);
    canvas().Cls();
    canvas().setAutoRedraw(true);
    EXPECT_EQ(shown(50, 50), white);
    EXPECT_TRUE(sameBytes());

    action("mnu_preview")->trigger();
    EXPECT_EQ(shown(3, 3), qRgb(0, 0, 0));
    EXPECT_TRUE(sameBytes());
    // A run sees the picture as it is.
    w.startCommand();
    EXPECT_EQ(Sorted(DrawnPixels(pointer_.operations())), std::vector<QPoint>{QPoint(13, 23)});
}

// The colour way as a user meets it: swatches captured with Ctrl+K where the pointer stands
// (their colours read from the screen, one corrected by hand), "カラー" chosen in the extraction
// dialog with the preview in the palette's colours, then a run that clicks each ink's swatch
// before its strokes, the darkest ink last; the palette is saved in its own section.
TEST_F(RunPanelsTest, APaletteTakenWithCtrlKAndColourChosenDrawEachInkAfterItsSwatch) {
    frmGraph& w = *window_;
    struct NextPoint : PointPicker {
        bool pick(Done done) override {
            done({points.at(next++), {}});
            return true;
        }
        std::vector<QPoint> points{QPoint(600, 50), QPoint(620, 50)};
        std::size_t next = 0;
    } picker;
    const QRgb red = qRgb(220, 30, 30);
    FakeScreen screen;
    screen.image.setPixel(600, 50, red);
    // The black swatch shows a grey face: its ink is written in by hand.
    screen.image.setPixel(620, 50, qRgb(90, 90, 90));
    window_->setPointPicker(picker);
    window_->setScreenReader(&screen);

    QImage picture = MakeCanvasImage(200, 200);
    for (int x = 2; x <= 30; ++x) {
        picture.setPixel(x, 5, qRgb(200, 40, 40));
    }
    // More black pixels than red ones: black still comes last, as the darkest.
    for (int x = 2; x <= 60; ++x) {
        picture.setPixel(x, 10, qRgb(0, 0, 0));
    }
    canvas().setPicture(picture);

    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<dlgPalette*>(modal);
        if (dialog == nullptr) {
            ADD_FAILURE() << "not the palette dialog";
            modal->close();
            return;
        }
        // Ctrl+K is a shortcut of the dialog's window: it takes while that window is the
        // application's active one, which a late activation of the main window (a loaded
        // machine) may still take away after the dialog first became active.
        const auto pressCtrlK = [dialog] {
            EXPECT_TRUE(QTest::qWaitFor(
                [dialog] {
                    if (QApplication::activeWindow() != dialog) {
                        dialog->activateWindow();
                    }
                    return QApplication::activeWindow() == dialog;
                },
                5000));
            QTest::keyClick(dialog, Qt::Key_K, Qt::ControlModifier);
        };
        pressCtrlK();
        pressCtrlK();
        if (dialog->lstSwatches->rowCount() != 2) {
            ADD_FAILURE() << "Ctrl+K took " << dialog->lstSwatches->rowCount() << " swatches";
            dialog->close();
            return;
        }
        QTableWidgetItem* ink = dialog->lstSwatches->item(1, 2);
        EXPECT_EQ(ink->text(), QStringLiteral("#5A5A5A"));
        ink->setText(QStringLiteral("#000000"));
        // Enter in the list presses OK; it opens no cell to edit.
        dialog->lstSwatches->setFocus();
        QTest::keyClick(dialog->lstSwatches, Qt::Key_Return);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "Enter did not press OK";
            dialog->OKButton->click();
        }
    });
    action("mnu_palette")->trigger();
    ASSERT_EQ(picker.next, 2u) << "Ctrl+K took no swatch";
    window_->setScreenReader(nullptr);

    action("mnu_preview")->trigger();
    const auto shown = [&](int x, int y) { return canvas().grab().toImage().pixel(x, y); };
    QRgb whileOpen = 0;
    whenExtractionDialog([&](dlgSetting& dialog) {
        dialog.OptColour->click();
        whileOpen = shown(3, 5);
        dialog.OKButton->click();
    });
    action("mnu_s_0")->trigger();
    EXPECT_EQ(whileOpen, red) << "the preview shows the pixel in its palette colour";
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("抽出モード:カラー"));
    action("mnu_preview")->trigger();

    w.startCommand();
    const std::vector<PointerOperation> presses = pointer_.operationsOfKind(Kind::Press);
    std::vector<QPoint> pressed;
    for (const PointerOperation& press : presses) {
        pressed.emplace_back(press.x, press.y);
    }
    EXPECT_EQ(pressed, (std::vector<QPoint>{QPoint(600, 50), QPoint(12, 25), QPoint(620, 50),
                                            QPoint(12, 30)}));
    std::vector<QPoint> expected{QPoint(600, 50), QPoint(620, 50)};
    for (int x = 2; x <= 30; ++x) {
        expected.emplace_back(10 + x, 25);
    }
    for (int x = 2; x <= 60; ++x) {
        expected.emplace_back(10 + x, 30);
    }
    EXPECT_EQ(Sorted(DrawnPixels(pointer_.operations())), Sorted(expected));

    ASSERT_TRUE(window_->close());
    const QByteArray ini = readIni();
    EXPECT_TRUE(ini.contains("ColourMode=1\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("[Palette]\r\nSwatch1=600,50 #DC1E1E\r\nSwatch2=620,50 #000000\r\n"))
        << ini.toStdString();
}

}  // namespace
}  // namespace stylorex
