#include "common/window_text.h"

namespace stylorex {

void SetCaptionTag(WindowText& window, const QString& tag) {
    if (!window.untaggedCaption_) {
        window.untaggedCaption_ = window.caption();
    }
    window.setCaption(*window.untaggedCaption_ + QLatin1Char(' ') + tag);
}

void SetStatusText(WindowText& window, int panel, const QString& text) {
    window.setStatusPanel(panel, text);
}

}  // namespace stylorex
