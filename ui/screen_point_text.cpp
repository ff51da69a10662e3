#include "ui/screen_point_text.h"

#include <cstdint>

namespace stylorex {

namespace {

QString padded(int value) {
    // 64 bits, so that the magnitude of the lowest int still fits.
    const std::int64_t v = value;
    const QString digits = QString::number(v < 0 ? -v : v).rightJustified(3, QLatin1Char('0'));
    return v < 0 ? QLatin1Char('-') + digits : digits;
}

}  // namespace

QString ScreenPointText(QPoint position) {
    return padded(position.x()) + QLatin1Char(',') + padded(position.y());
}

QString LiveScreenPointText(PointerDevice& pointer) {
    return pointer.limits().canReadPosition() ? ScreenPointText(pointer.position())
                                              : QStringLiteral("--");
}

}  // namespace stylorex
