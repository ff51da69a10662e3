#pragma once

#include "common/colour.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>

class QPainter;

namespace stylorex {

// The source picture canvas. It keeps three images:
//  - the background picture: what was loaded or committed, drawn at (0, 0) at its own size
//    over white, never scaled (null when there is none);
//  - the persistent image: the background with everything drawn into it so far;
//  - the screen image: what is shown, the persistent image plus screen-only marks.
// With AutoRedraw on, drawing goes into the persistent image and onto the screen; with it off,
// onto the screen only (a preview that the next Cls or Refresh removes). Nothing on the canvas
// is antialiased: every pixel drawn is a pixel the drawing run will trace.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent = nullptr);

    int ScaleWidth() const { return persistent_.width(); }
    int ScaleHeight() const { return persistent_.height(); }
    // Resizes the canvas without scaling or moving its content: what lies beyond the new
    // edges is cut off, new area shows the background picture where it reaches, else white.
    void setCanvasSize(int width, int height);

    // Sets the background picture (a null image removes it); the persistent image and the
    // screen become exactly the new background, so earlier drawings are gone.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    const QImage& persistentImage() const { return persistent_; }
    const QImage& screenImage() const { return screen_; }
    // The colour of one pixel of the persistent image; kInvalidColour outside the canvas.
    PackedColour GetPixel(int x, int y) const;

    bool AutoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on) { autoRedraw_ = on; }
    // AutoRedraw off: removes the screen-only marks. On: resets the persistent image to the
    // background picture. Either way the text position returns to (0, 0).
    void Cls();
    // Repaints the screen from the persistent image.
    void Refresh();
    // The persistent image becomes the background picture, AutoRedraw goes on, and Cls, so
    // that what is on view is exactly the committed picture.
    void commit();

    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void setCurrentX(double x) { currentX_ = x; }
    void setCurrentY(double y) { currentY_ = y; }

    QColor ForeColor() const { return foreColor_; }
    void setForeColor(const QColor& colour) { foreColor_ = colour; }
    int DrawWidth() const { return drawWidth_; }
    void setDrawWidth(int width) { drawWidth_ = width < 1 ? 1 : width; }
    // 0 solid, 1 dash, 2 dot; dash and dot show only at width 1.
    int DrawStyle() const { return drawStyle_; }
    void setDrawStyle(int style) { drawStyle_ = style; }
    // Always 13: the pen colour is copied onto the picture.
    int DrawMode() const { return 13; }
    bool FontTransparent() const { return fontTransparent_; }
    void setFontTransparent(bool on) { fontTransparent_ = on; }
    QColor BackColor() const { return Qt::white; }

    // The pen as the picture's width and style make it, in `colour`.
    QPen userPen(const QColor& colour) const;

    // Runs `paint` on the current drawing target (persistent image and screen with AutoRedraw
    // on, the screen alone with it off), with antialiasing off, then schedules a repaint.
    void paintOnTarget(const std::function<void(QPainter&)>& paint);

  signals:
    // Button values: 1 left, 2 right, 4 middle; for moves, the sum of the buttons held.
    // Shift values: 1 Shift, 2 Ctrl, 4 Alt. Coordinates are picture pixels.
    void mouseDown(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage composedBackground(int width, int height) const;

    QImage picture_;
    QImage persistent_;
    QImage screen_;
    bool autoRedraw_ = true;
    double currentX_ = 0;
    double currentY_ = 0;
    QColor foreColor_ = Qt::black;
    int drawWidth_ = 1;
    int drawStyle_ = 0;
    bool fontTransparent_ = true;
};

// Pictures on the canvas keep 96 dots per inch, so font point sizes come out as on screen.
QImage MakeCanvasImage(int width, int height);

// What the canvas holds with `picture` as its background at width × height: the picture's
// pixels taken as RGB32, drawn at (0, 0) at their own size over white. The drawing run scans
// exactly this after a picture is loaded.
QImage ComposeCanvasImage(const QImage& picture, int width, int height);

// The largest canvas the window offers.
constexpr int kLargestCanvasWidth = 600;
constexpr int kLargestCanvasHeight = 480;

}  // namespace stylorex
