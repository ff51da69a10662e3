// What a run shows in the main window's caption and status panels, from a real run of the
// engine against the recording pointer, screen and window.
#include "ui/run_report.h"

#include "engine/drawing_run.h"
#include "tests/support/fake_clock.h"
#include "tests/support/pointer_fake.h"
#include "tests/support/recording_window.h"
#include "tests/support/screen_fake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stylorex {
namespace {

using ::testing::ElementsAre;

class WindowRunReportTest : public ::testing::Test {
  protected:
    std::int32_t run(const QImage& picture, std::int16_t wait, ScreenReader* screen = nullptr) {
        window.onWrite = [this](const std::string& line) { texts.push_back(line); };
        WindowRunReport report(window, wait);
        RunServices services{pointer, [this] { clock.advance(std::chrono::milliseconds(1)); },
                             clock};
        services.screen = screen;
        services.observer = &report;
        RunSettings settings;
        settings.WaitTime = wait;
        settings.modes = modes;
        return RunDrawing(picture, 100, 100, settings, services, state);
    }

    // The texts written into one panel, in order.
    std::vector<QString> panel(int number) const {
        std::vector<QString> written;
        for (const auto& [n, text] : window.statuses) {
            if (n == number) {
                written.push_back(text);
            }
        }
        return written;
    }

    // A staircase, a step right and a step down-right in turn.
    static QImage lineOf(int pixels) {
        QImage picture(pixels + 2, pixels / 2 + 3, QImage::Format_RGB32);
        picture.fill(Qt::white);
        for (int x = 1; x <= pixels; ++x) {
            picture.setPixel(x, 1 + x / 2, qRgb(0, 0, 0));
        }
        return picture;
    }

    FakePointer pointer;
    FakeClock clock;
    RecordingWindow window;
    RunState state;
    RunModes modes;
    std::vector<std::string> texts;
};

TEST_F(WindowRunReportTest, CaptionAndStatusFollowTheRunToItsEnd) {
    EXPECT_EQ(run(lineOf(1), 5), 1);
    EXPECT_THAT(
        texts,
        ElementsAre("status2 データ準備中", "caption Stylorex [データ準備中]", "status2 描画開始",
                    "caption Stylorex [描画開始-wait 5ms] Escキーで中断",
                    "caption Stylorex [処理完了]", "status2 処理終了", "status3 概算ｽﾄﾛｰｸ数:1"));
}

TEST_F(WindowRunReportTest, EscEndsTheCaptionAndTheActivityWithTheAbort) {
    pointer.tapEscAfterMoves(3);
    run(lineOf(10), 0);
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [中断しました]"));
    EXPECT_EQ(window.panels[2], QStringLiteral("中断"));
}

TEST_F(WindowRunReportTest, TheCheckPanelSaysWhenTheFollowModeFellBackAndWhatTheCheckFound) {
    // The staircase turns at every pixel, so the run waits for ink after every move; the screen
    // never changes.
    FakeScreen screen;
    modes.FollowTarget = true;
    window.setStatusPanel(5, QStringLiteral("確認: 欠け 3 / 余分 0"));
    window.statuses.clear();
    run(lineOf(60), 2, &screen);
    EXPECT_THAT(panel(5),
                ElementsAre(QString(), QStringLiteral("描画が見えないため固定ウェイトで描画中"),
                            QStringLiteral("確認中…"),
                            QStringLiteral("確認できません: 描画先に変化がありません"
                                           "（固定ウェイトに切替）")));
    EXPECT_TRUE(window.toolTips[5].contains(QStringLiteral("固定ウェイト (2ms)")))
        << window.toolTips[5].toStdString();
}

}  // namespace
}  // namespace stylorex
