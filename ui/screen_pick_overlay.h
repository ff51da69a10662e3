#pragma once

#include "os/point_picker.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QScreen;

namespace stylorex {

class PointerDevice;
class ScreenReader;

// One screen of the pick: a still of the screen, full-screen over it. A left click picks the
// desktop pixel under the pointer, a left drag the rectangle between press and release (both
// corners included); Esc or the right button cancels. A magnifier beside the pointer shows the
// pixels round it enlarged, the one under the pointer framed, with its desktop coordinates.
class ScreenPickVeil : public QWidget {
    Q_OBJECT
  public:
    // `still` is the screen's desktop rectangle as read back before the veil came. `pointer`
    // (null: none) reads where the pointer stands, where it can.
    ScreenPickVeil(QScreen& screen, const QImage& still, PointerDevice* pointer);

    // The desktop pixel of a mouse event at the logical position `local` of this veil. Qt rounds
    // the positions of mouse events to its logical pixels, which are larger than desktop pixels
    // when it scales; where the pointer can be read and still stands inside the pixel the event
    // reported, its position names the desktop pixel exactly.
    QPoint desktopPixel(QPointF local) const;
    // What the screen showed when the veil came, as read back.
    const QImage& still() const { return still_; }
    // Shows the still alone, at once: what a window below has not repainted yet once the veil
    // has gone is then what it showed.
    void showStillAlone();

  signals:
    void picked(const PointPicker::Result& result);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // The pixels round `desktop`, enlarged, with their top-left corner at `corner`.
    void paintMagnifier(QPainter& painter, QPoint desktop, QPoint corner);
    // Grabs the keyboard once the window can take it, so that Esc arrives wherever the focus
    // was; tried again shortly while the window is not yet on the screen.
    void grabKeys(int attemptsLeft);

    QScreen& screen_;
    PointerDevice* pointer_;
    QRect desktop_;
    QImage still_;
    // The last mouse position (logical, on the veil) and its desktop pixel.
    std::optional<QPointF> mouse_;
    QPoint under_;
    // Where the left button went down (logical, on the veil) and its desktop pixel.
    std::optional<QPointF> pressedAt_;
    QPoint pressedPixel_;
    bool stillAlone_ = false;
};

// The screen pick of the program's own, built on the screen read-back, so that it works wherever
// the screen can be read: a veil on every screen (ScreenPickVeil), the answer in desktop pixels
// whatever Qt's scale. Used by "描画範囲を選ぶ", and for Ctrl+G where the session brings no pick
// of its own.
class ScreenPickOverlay : public PointPicker {
  public:
    // `screen` (null: the pick fails with a message) and `pointer` (null: the positions of the
    // mouse events alone) must outlive the overlay.
    explicit ScreenPickOverlay(ScreenReader* screen, PointerDevice* pointer = nullptr);
    ~ScreenPickOverlay() override;
    ScreenPickOverlay(const ScreenPickOverlay&) = delete;
    ScreenPickOverlay& operator=(const ScreenPickOverlay&) = delete;

    bool pick(Done done) override;
    void setScreenReader(ScreenReader* screen) { screen_ = screen; }
    void setPointer(PointerDevice* pointer) { pointer_ = pointer; }

    // The veils of the pick that is open; empty otherwise.
    std::vector<ScreenPickVeil*> veils() const;

    // The longest the answer waits for the screen to show again what the veils covered.
    static constexpr int kRestoreLimitMs = 500;

  private:
    // Takes the veils away and answers once the screen under them is back or has settled (a run
    // that starts next reads the screen and presses on it), at most kRestoreLimitMs later.
    void finish(const Result& result);

    ScreenReader* screen_;
    PointerDevice* pointer_;
    std::vector<std::unique_ptr<ScreenPickVeil>> veils_;
    Done done_;
};

}  // namespace stylorex
