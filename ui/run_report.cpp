#include "ui/run_report.h"

#include "run/run_texts.h"

#include <utility>

#include <QCoreApplication>

namespace stylorex {

namespace {

constexpr int kActivityPanel = 2;
constexpr int kStrokeCountPanel = 3;
constexpr int kCheckPanel = 5;

}  // namespace

QString StrokeCountText(std::int32_t strokes) {
    return QCoreApplication::translate("RunReport", "概算ｽﾄﾛｰｸ数:") + QString::number(strokes);
}

QString StoppedText() {
    return QCoreApplication::translate("RunReport", "中断");
}

QString WindowKeysHeldText() {
    return QCoreApplication::translate("RunReport", "キーを離して");
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
            SetStatusText(window_, kActivityPanel,
                          QCoreApplication::translate("RunReport", "データ準備中"));
            SetCaptionTag(window_, QCoreApplication::translate("RunReport", "[データ準備中]"));
            break;
        case RunPhase::Drawing:
            SetStatusText(window_, kActivityPanel,
                          QCoreApplication::translate("RunReport", "描画開始"));
            SetCaptionTag(window_, QCoreApplication::translate("RunReport",
                                                               "[描画開始-wait %1ms] Escキーで中断")
                                       .arg(waitMs_));
            break;
        case RunPhase::Completed:
            SetCaptionTag(window_, QCoreApplication::translate("RunReport", "[処理完了]"));
            SetStatusText(window_, kActivityPanel,
                          QCoreApplication::translate("RunReport", "処理終了"));
            break;
        case RunPhase::Aborted:
            SetCaptionTag(window_, QCoreApplication::translate("RunReport", "[中断しました]"));
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
    SetStatusText(
        window_, kCheckPanel,
        QCoreApplication::translate("RunReport", "描画が見えないため固定ウェイトで描画中"));
}

void WindowRunReport::checking() {
    SetStatusText(window_, kCheckPanel, CheckingText());
}

void WindowRunReport::checked(const RunCheck& check) {
    SetStatusText(window_, kCheckPanel, CheckPanelText(check));
    window_.setStatusToolTip(kCheckPanel, CheckToolTip(check, waitMs_));
}

}  // namespace stylorex
