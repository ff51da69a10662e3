#include "run/run_texts.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(CheckTexts, CountTheMissesAndExtrasOrSayWhyThereIsNoCheck) {
    RunCheck check;
    check.outcome = RunCheck::Outcome::Checked;
    check.missing = {{302, 201}, {305, 201}};
    check.extra = {{306, 202}};
    EXPECT_EQ(CheckPanelText(check), QStringLiteral("確認: 欠け 2 / 余分 1"));
    // The tolerant check says so, with its radius, in the panel and its tool tip.
    check.tolerance = 2;
    EXPECT_EQ(CheckPanelText(check), QStringLiteral("確認（±2px）: 欠け 2 / 余分 1"));
    EXPECT_TRUE(CheckToolTip(check, 5).contains(QStringLiteral("2 ピクセル以内")));
    check.tolerance = 0;
    // Misses at the fixed wait: the follow mode is the cure.
    EXPECT_TRUE(CheckToolTip(check, 5).contains(QStringLiteral("「描画を確かめながら進む」")));

    check = RunCheck{};
    check.outcome = RunCheck::Outcome::NothingChanged;
    check.followed = true;
    check.fellBack = true;
    EXPECT_EQ(CheckPanelText(check),
              QStringLiteral("確認できません: 描画先に変化がありません（固定ウェイトに切替）"));
    EXPECT_TRUE(CheckToolTip(check, 3).contains(QStringLiteral("固定ウェイト (3ms)")));

    EXPECT_TRUE(CheckPanelText(RunCheck{}).isEmpty());
}

}  // namespace
}  // namespace stylorex
