#include "run/stop_reason.h"

namespace stylorex {

QString StopReasonText(StopCause cause) {
    switch (cause) {
        case StopCause::EscKey:
            return QStringLiteral("Esc キー");
        case StopCause::PointerMoved:
            return QStringLiteral("マウス");
        case StopCause::Suspended:
            return QStringLiteral("一時停止");
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
