#include "common/window_text.h"

#include "tests/support/recording_window.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(CaptionTag, TagStandsBehindTheProgramNameAndReplacesThePreviousTag) {
    RecordingWindow window;
    SetCaptionTag(window, QStringLiteral("[処理開始]"));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [処理開始]"));
    SetCaptionTag(window, QStringLiteral("[処理完了]"));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [処理完了]"));
}

TEST(CaptionTag, CaptionIsRememberedOnlyAtTheFirstCall) {
    RecordingWindow window;
    SetCaptionTag(window, QStringLiteral("[a]"));
    window.setCaption(QStringLiteral("Changed meanwhile"));
    SetCaptionTag(window, QStringLiteral("[b]"));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [b]"));
}

TEST(CaptionTag, StatusTextGoesToTheNumberedPanel) {
    RecordingWindow window;
    SetStatusText(window, 2, QStringLiteral("処理開始"));
    SetStatusText(window, 3, QStringLiteral("概算ｽﾄﾛｰｸ数:12"));
    EXPECT_EQ(window.panels[2], QStringLiteral("処理開始"));
    EXPECT_EQ(window.panels[3], QStringLiteral("概算ｽﾄﾛｰｸ数:12"));
    EXPECT_EQ(window.panels.count(1), 0u);
}

}  // namespace
}  // namespace stylorex
