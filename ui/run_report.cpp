#include "ui/run_report.h"

#include "run/run_texts.h"

#include <utility>

namespace stylorex {

namespace {

constexpr int kActivityPanel = 2;
constexpr int kStrokeCountPanel = 3;
constexpr int kCheckPanel = 5;

}  // namespace

QString StrokeCountText(std::int32_t strokes) {
    return QStringLiteral("概算ｽﾄﾛｰｸ数:") + QString::number(strokes);
}

QString StoppedText() {
    return QStringLiteral("中断");
}

QString WindowKeysHeldText() {
    return QStringLiteral("キーを離して");
}

void ClearCheckPanel(WindowText& window) {
    SetStatusText(window, kCheckPanel, QString());
    window.setStatusToolTip(kCheckPanel, QString());
}

WindowRunReport::WindowRunReport(WindowText& window, std::int16_t waitMs,
                                 std::function<void(const RunProgress&)> showProgress)
    : window_(window), waitMs_(waitMs), showProgress_(std::move(showProgress)) {}

void WindowRunReport::phaseChanged(RunPhase phase) {
    switch (phase) {
        case RunPhase::Preparing:
            SetStatusText(window_, kActivityPanel, QStringLiteral("データ準備中"));
            SetCaptionTag(window_, QStringLiteral("[データ準備中]"));
            break;
        case RunPhase::Drawing:
            SetStatusText(window_, kActivityPanel, QStringLiteral("描画開始"));
            SetCaptionTag(window_,
                          QStringLiteral("[描画開始-wait %1ms] Escキーで中断").arg(waitMs_));
            break;
        case RunPhase::Completed:
            SetCaptionTag(window_, QStringLiteral("[処理完了]"));
            SetStatusText(window_, kActivityPanel, QStringLiteral("処理終了"));
            break;
        case RunPhase::Aborted:
            SetCaptionTag(window_, QStringLiteral("[中断しました]"));
            // Whether the run can be resumed is known once it has ended: the window says so then.
            SetStatusText(window_, kActivityPanel, StoppedText());
            break;
    }
}

void WindowRunReport::progressed(const RunProgress& progress) {
    if (showProgress_) {
        showProgress_(progress);
    }
    SetStatusText(window_, kStrokeCountPanel, StrokeCountText(progress.strokesDone));
}

void WindowRunReport::waitingForKeysUp() {
    SetStatusText(window_, kActivityPanel, WindowKeysHeldText());
}

void WindowRunReport::checkPending() {
    ClearCheckPanel(window_);
}

void WindowRunReport::fellBackToFixedWait() {
    SetStatusText(window_, kCheckPanel, QStringLiteral("描画が見えないため固定ウェイトで描画中"));
}

void WindowRunReport::checking() {
    SetStatusText(window_, kCheckPanel, CheckingText());
}

void WindowRunReport::checked(const RunCheck& check) {
    SetStatusText(window_, kCheckPanel, CheckPanelText(check));
    window_.setStatusToolTip(kCheckPanel, CheckToolTip(check, waitMs_));
}

}  // namespace stylorex
