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

}  // namespace stylorex
