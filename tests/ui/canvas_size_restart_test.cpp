#include "canvas/picture_box.h"
#include "tests/support/named_child.h"
#include "tests/support/pointer_fake.h"
#include "tests/support/recording_dialogs.h"
#include "ui/frm_graph.h"

#include <QAction>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

// Its own program: closing the main window asks the application to quit, which must not reach
// the event loops of other tests.
TEST(CanvasSizeMenu, TheLargestPresetIsAppliedAgainAfterARestart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath(QStringLiteral("stylorex.ini"));
    FakePointer pointer;
    RecordingDialogs dialogs;
    {
        frmGraph first(pointer, &dialogs);
        first.setSettingsPath(ini);
        first.load();
        NamedChild<QAction>(first, "mnu_canvas_2")->trigger();
        EXPECT_EQ(first.statusPanel(4), QStringLiteral("canvas:480*600"));
        first.close();
    }
    frmGraph second(pointer, &dialogs);
    second.setSettingsPath(ini);
    second.load();
    EXPECT_EQ(NamedChild<PictureBox>(second, "picSRC")->ScaleWidth(), 600);
    EXPECT_EQ(NamedChild<PictureBox>(second, "picSRC")->ScaleHeight(), 480);
    EXPECT_EQ(second.statusPanel(4), QStringLiteral("canvas:480*600"));
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace stylorex
