#pragma once

#include "os/screen_reader.h"

#include <QString>

#include <memory>

namespace stylorex {

class SessionBus;

// The screen read back through KWin's screenshot interface over D-Bus (CaptureArea): KWin
// renders the area and writes its raw pixels into a pipe of ours. KWin answers only programs
// that a desktop file authorises (kde_session.h). A read costs a render of the area: tens of
// milliseconds for one pixel (docs/performance.md).
class KWinScreenReader : public ScreenReader {
  public:
    explicit KWinScreenReader(std::shared_ptr<SessionBus> bus);

    QImage grab(const QRect& rect) override;
    std::optional<QRgb> pixel(QPoint at) override;
    // Why the last read failed, as KWin said it; empty after a read that succeeded.
    QString lastError() const { return lastError_; }

  private:
    std::shared_ptr<SessionBus> bus_;
    QString lastError_;
};

}  // namespace stylorex
