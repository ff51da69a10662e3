#pragma once

#include <QImage>
#include <QRasterWindow>
#include <QRect>
#include <QTimer>

#include <chrono>

namespace stylorex {

class ScreenReader;

// The outline of the area a run is about to cover, shown on the desktop for a moment before the
// run: a ring just outside the area (the area itself stays in view), in a frameless window of
// its own that stays on top, never takes the focus and lets every click through to the window
// below. A run must not find it on the screen: withdraw() takes it away and waits until the
// screen under it shows what it showed before. Wayland clients cannot place windows: there it
// shows nothing.
class AreaOutline : public QRasterWindow {
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kShownFor{2000};
    // The ring's width in logical pixels.
    static constexpr int kRingWidth = 2;
    // The longest withdraw() waits for the screen under the ring.
    static constexpr std::chrono::milliseconds kRestoreLimit{500};

    AreaOutline();

    // Shows the ring round `area` (desktop pixels) for `duration`, in place of one shown before.
    // `screen` (null: none) reads what the ring is going to cover, for withdraw(). Nothing for
    // an empty area, one on no screen, or where windows cannot be placed.
    void showAround(const QRect& area, ScreenReader* screen,
                    std::chrono::milliseconds duration = kShownFor);
    // Hides the ring at once; then, when it was shown and the screen can be read, waits (events
    // go on meanwhile) until the pixels under the ring are back or the screen there has settled
    // (WaitUntilScreenSettles), at most kRestoreLimit.
    void withdraw();
    // The ring's outer rectangle in desktop pixels while it is shown; null otherwise.
    QRect desktopRect() const { return isVisible() ? desktopRect_ : QRect(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool ringRestored(const QImage& now) const;

    QTimer timer_;
    ScreenReader* screen_ = nullptr;
    // The ring's outer and inner rectangles in desktop pixels, and what the outer one showed
    // before the ring came.
    QRect desktopRect_;
    QRect desktopInside_;
    QImage under_;
};

}  // namespace stylorex
