#include "common/window_text.h"

#include <optional>

namespace stylorex {

namespace {
std::optional<QString>& rememberedCaption() {
    static std::optional<QString> caption;
    return caption;
}
}  // namespace

void SetCaptionTag(WindowText& window, const QString& tag) {
    auto& remembered = rememberedCaption();
    if (!remembered) {
        remembered = window.caption();
    }
    window.setCaption(*remembered + QLatin1Char(' ') + tag);
}

void SetStatusText(WindowText& window, int panel, const QString& text) {
    window.setStatusPanel(panel, text);
}

void ForgetRememberedCaption() {
    rememberedCaption().reset();
}

}  // namespace stylorex
