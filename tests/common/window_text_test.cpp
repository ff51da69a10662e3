#include "common/window_text.h"

#include <gtest/gtest.h>

#include <map>

namespace stylorex {
namespace {

class RecordingWindow : public WindowText {
  public:
    QString caption() const override { return caption_; }
    void setCaption(const QString& caption) override { caption_ = caption; }
    void setStatusPanel(int panel, const QString& text) override { panels[panel] = text; }

    QString caption_ = QStringLiteral("Stylorex");
    std::map<int, QString> panels;
};

class CaptionTagTest : public ::testing::Test {
  protected:
    void SetUp() override { ForgetRememberedCaption(); }
    void TearDown() override { ForgetRememberedCaption(); }
};

TEST_F(CaptionTagTest, TagStandsBehindTheProgramNameAndReplacesThePreviousTag) {
    RecordingWindow window;
    SetCaptionTag(window, QStringLiteral("[処理開始]"));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [処理開始]"));
    SetCaptionTag(window, QStringLiteral("[処理完了]"));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [処理完了]"));
}

TEST_F(CaptionTagTest, CaptionIsRememberedOnlyAtTheFirstCall) {
    RecordingWindow window;
    SetCaptionTag(window, QStringLiteral("[a]"));
    window.caption_ = QStringLiteral("Changed meanwhile");
    SetCaptionTag(window, QStringLiteral("[b]"));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [b]"));
}

TEST_F(CaptionTagTest, StatusTextGoesToTheNumberedPanel) {
    RecordingWindow window;
    SetStatusText(window, 2, QStringLiteral("処理開始"));
    SetStatusText(window, 3, QStringLiteral("概算ｽﾄﾛｰｸ数:12"));
    EXPECT_EQ(window.panels[2], QStringLiteral("処理開始"));
    EXPECT_EQ(window.panels[3], QStringLiteral("概算ｽﾄﾛｰｸ数:12"));
    EXPECT_EQ(window.panels.count(1), 0u);
}

}  // namespace
}  // namespace stylorex
