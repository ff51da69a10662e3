#pragma once

#include "common/window_text.h"
#include "engine/run_events.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace stylorex {

// Status panel 3 after a run: "概算ｽﾄﾛｰｸ数:" and the count.
QString StrokeCountText(std::int32_t strokes);

// Status panel 2 after a run stopped by Esc or a stop request: "中断" (how to go on, where
// "続きを描く" can, is the progress bar's: ResumeHintText()).
QString StoppedText();
// Status panel 2 while a run waits for the keys still held down to come up: the command line's
// KeysHeldText() is too long for the panel.
QString WindowKeysHeldText();

// Empties status panel 5 and its tool tip: no check is known of the picture as it is now.
void ClearCheckPanel(WindowText& window);

// How one run shows in the main window: each phase as a caption tag and a text in status panel
// 2 (and the wait for a held key to come up before the first press), the strokes done in panel
// 3 as they complete, the check of the target in panel 5 with what it means in the panel's tool
// tip.
class WindowRunReport : public RunObserver {
  public:
    // `waitMs`: the run's fixed wait, which the caption and the check's tool tip name.
    // `showProgress`, when given, also gets every progress report.
    WindowRunReport(WindowText& window, std::int16_t waitMs,
                    std::function<void(const RunProgress&)> showProgress = {});

    void phaseChanged(RunPhase phase) override;
    void progressed(const RunProgress& progress) override;
    void waitingForKeysUp() override;
    void checkPending() override;
    void fellBackToFixedWait() override;
    void checking() override;
    void checked(const RunCheck& check) override;

  private:
    WindowText& window_;
    std::int16_t waitMs_;
    std::function<void(const RunProgress&)> showProgress_;
};

}  // namespace stylorex
