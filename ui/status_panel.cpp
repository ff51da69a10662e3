#include "ui/status_panel.h"

#include <QEvent>
#include <QFontMetrics>

namespace stylorex {

StatusPanel::StatusPanel(QWidget* parent) : QLabel(parent) {}

void StatusPanel::setWholeText(const QString& text) {
    whole_ = text;
    showFitted();
}

void StatusPanel::setDetails(const QString& details) {
    details_ = details;
    showFitted();
}

void StatusPanel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showFitted();
}

void StatusPanel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        showFitted();
    }
}

void StatusPanel::showFitted() {
    const int room = contentsRect().width();
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(whole_) <= room) {
        setText(whole_);
        setToolTip(details_);
        return;
    }
    setText(metrics.elidedText(whole_, Qt::ElideRight, room));
    if (details_.contains(whole_)) {
        setToolTip(details_);
    } else {
        setToolTip(details_.isEmpty() ? whole_ : whole_ + QLatin1Char('\n') + details_);
    }
}

}  // namespace stylorex
