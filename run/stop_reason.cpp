#include "run/stop_reason.h"

#include <QCoreApplication>

namespace stylorex {

QString StopReasonText(StopCause cause) {
    switch (cause) {
        case StopCause::EscKey:
            return QCoreApplication::translate("StopReason", "Esc キー");
        case StopCause::PointerMoved:
            return QCoreApplication::translate("StopReason", "マウス");
        case StopCause::Suspended:
            return QCoreApplication::translate("StopReason", "一時停止");
    }
    return {};
}

QString StopReasonName(StopCause cause) {
    switch (cause) {
        case StopCause::EscKey:
            return QStringLiteral("esc");
        case StopCause::PointerMoved:
            return QStringLiteral("pointer");
        case StopCause::Suspended:
            return QStringLiteral("suspended");
    }
    return {};
}

QString HowThisRunStops(const PointerDevice& pointer, RunFace face) {
    if (pointer.stopWatch().canWatchEsc()) {
        return {};
    }
    const QString advice = pointer.limits().stopAdvice();
    if (face == RunFace::Window) {
        return pointer.limits().whyEscCannotStop() +
               (advice.isEmpty() ? QCoreApplication::translate(
                                       "HowThisRunStops",
                                       "途中で止めるには Stylorex を終了してください（起動した"
                                       "端末で Ctrl+C、または kill）。")
                                 : advice);
    }
    return pointer.limits().whyEscCannotStop() +
           (advice.isEmpty()
                ? QCoreApplication::translate(
                      "HowThisRunStops", "止めるには Ctrl+C（SIGINT）か SIGTERM を使ってください。")
                : advice + QCoreApplication::translate(
                               "HowThisRunStops", "Ctrl+C（SIGINT）や SIGTERM でも止まります。"));
}

}  // namespace stylorex
