#include "ui/viewport_scroll_bar.h"

#include <QSignalBlocker>

#include <algorithm>
#include <cstdlib>

namespace stylorex {

ViewportScrollBar::ViewportScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setRange(0, 0);
    connect(this, &QScrollBar::valueChanged, this,
            [this](int value) { emit signedValueChanged(value * direction()); });
}

int ViewportScrollBar::clampToRange(int value) const {
    return std::clamp(value, std::min(0, maximum_), std::max(0, maximum_));
}

void ViewportScrollBar::setSignedMaximum(int maximum) {
    const int before = signedValue();
    maximum_ = maximum;
    const int after = clampToRange(before);
    {
        const QSignalBlocker blocker(this);
        setRange(0, std::abs(maximum));
        setValue(std::abs(after));
    }
    if (after != before) {
        emit signedValueChanged(after);
    }
}

int ViewportScrollBar::signedValue() const {
    return value() * direction();
}

void ViewportScrollBar::setSignedValue(int value) {
    setValue(std::abs(clampToRange(value)));
}

}  // namespace stylorex
