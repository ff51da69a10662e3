#pragma once

#include "engine/run_check.h"

#include <QString>

namespace stylorex {

// While a run waits for a held modifier key to come up before its first press.
QString KeysHeldText();
// While a run waits for the target to settle before its check.
QString CheckingText();

// The check of a run's target in words, as the window's check panel and the command line's
// result show it: "確認: 欠け 0 / 余分 0" ("確認（±1px）: …" under the tolerant check), or
// "確認できません: " and the reason; a run that fell
// back from following the target says so behind it. Empty for Outcome::None.
QString CheckPanelText(const RunCheck& check);
// One ink's share of a check: "#FF0000: 欠け 0 / 余分 0".
QString InkTallyText(const RunCheck::InkTally& tally);
// What the check means and what to do, the text first (the check panel's tool tip); after
// misses with the fixed wait of `waitMs`, it suggests the follow mode. A run in colour lists each
// ink's share.
QString CheckToolTip(const RunCheck& check, int waitMs);

}  // namespace stylorex
