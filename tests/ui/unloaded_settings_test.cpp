// A settings file too large to load: said at start, defaults used, and the file left as it was
// at exit unless the user changed a setting.
#include "ui/frm_graph.h"

#include "tests/support/pointer_fake.h"
#include "tests/support/recording_dialogs.h"
#include "ui/wait_menu.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace stylorex {
namespace {

class UnloadedSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // A real settings entry first, then padding past what a settings file can be.
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Other]\r\nWaitTime=3\r\n");
        file.write(QByteArray(17 * 1024 * 1024, ';'));
        file.close();
        before_ = digest();
        window_ = std::make_unique<frmGraph>(pointer_, &dialogs_);
        window_->setProgramFolder(dir_.path());
        window_->setSettingsPath(iniPath());
        window_->load();
    }

    QString iniPath() const { return dir_.filePath(QStringLiteral("stylorex.ini")); }
    QByteArray digest() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly)
                   ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                   : QByteArray();
    }

    QTemporaryDir dir_;
    FakePointer pointer_;
    RecordingDialogs dialogs_;
    std::unique_ptr<frmGraph> window_;
    QByteArray before_;
};

TEST_F(UnloadedSettingsTest, IsSaidAtStartAndLeftAsItWasWhenNothingChanged) {
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(
        dialogs_.messages[0].text.startsWith(QStringLiteral("設定ファイルを読み込めません: ")))
        << dialogs_.messages[0].text.toStdString();
    EXPECT_NE(window_->settings().WaitTime, 3) << "read from a file said to be unreadable";
    window_->show();
    window_->move(window_->pos() + QPoint(7, 5));
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(dialogs_.messages.size(), 1u) << "the exit said more";
    EXPECT_EQ(digest(), before_);
}

// The save is tried then; a file that cannot be read is never replaced (the settings file's own
// rule), so the user hears that the change was not saved.
TEST_F(UnloadedSettingsTest, IsSavedWhenTheUserChangedASetting) {
    window_->waitMenu().item(2)->trigger();
    dialogs_.messages.clear();
    EXPECT_TRUE(window_->close());
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.startsWith(QStringLiteral("設定を保存できませんでした")));
}

}  // namespace
}  // namespace stylorex
