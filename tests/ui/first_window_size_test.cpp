// The main window's first size under Qt's scaling, on a 1280 × 1024 screen at twice the scale
// (640 × 512 logical pixels): this executable sets the scale and the screen before its
// application starts.
#include "tests/support/named_child.h"
#include "tests/support/pointer_fake.h"
#include "tests/support/recording_dialogs.h"
#include "tests/ui/window_checks.h"
#include "ui/frm_graph.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

QRect GlobalRect(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

TEST(FirstWindowSize, AtTwiceTheScaleTheWindowAndItsStatusRowsFitA1280By1024Screen) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_EQ(screen->geometry().size() * screen->devicePixelRatio(), QSize(1280, 1024));
    ASSERT_EQ(screen->devicePixelRatio(), 2);
    QTemporaryDir dir;
    FakePointer pointer;
    RecordingDialogs dialogs;
    frmGraph window(pointer, &dialogs);
    window.setProgramFolder(dir.path());
    window.setSettingsPath(dir.filePath(QStringLiteral("stylorex.ini")));
    window.load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QRect room = screen->availableGeometry();
    EXPECT_TRUE(room.contains(window.frameGeometry()))
        << window.frameGeometry().width() << "x" << window.frameGeometry().height();
    for (const char* row : {"StatusBar1", "StatusBar2"}) {
        EXPECT_TRUE(room.contains(GlobalRect(*NamedChild<QWidget>(window, row)))) << row;
    }
    EXPECT_EQ(OverlapsAndOverflows(window).join(QLatin1Char('\n')).toStdString(), "");
    EXPECT_EQ(CutDynamicTexts(window).join(QLatin1Char('\n')).toStdString(), "");
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "1280x1024", "x": 0, "y": 0, "width": 1280,
                       "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0) {
        return 1;
    }
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
