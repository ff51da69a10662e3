#pragma once

#include "canvas/canvas_image.h"
#include "canvas/picture_history.h"
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
    // One undo step.
    void setCanvasSize(int width, int height);

    // Sets the background picture (a null image removes it); the persistent image and the
    // screen become exactly the new background, so earlier drawings are gone. One undo step.
    void setPicture(const QImage& picture);
    // Sets the background picture and the canvas size together, as one undo step.
    void setPictureAtSize(const QImage& picture, QSize size);
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

    // Undo and redo of the persistent image (see PictureHistory). Whoever changes the persistent
    // image ends each change the user sees as one with recordStep(); setPicture and
    // setCanvasSize do so themselves. Undo and redo show the restored picture on the screen
    // and give false when there was nothing to undo or redo.
    void recordStep();
    bool undo();
    bool redo();
    bool canUndo() const { return history_.undoSteps() > 0; }
    bool canRedo() const { return history_.redoSteps() > 0; }
    // Forgets every step: the picture as it is now is where undo stops.
    void clearHistory();
    const PictureHistory& history() const { return history_; }

    // Shown over the screen image until replaced (a null image: nothing); the persistent and
    // the screen image stay as they are.
    void setOverlay(const QImage& overlay);
    const QImage& overlay() const { return overlay_; }

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
    // canUndo or canRedo may have changed.
    void historyChanged();
    // The persistent image changed: a step was recorded, undone or redone.
    void pictureChanged();
    // The persistent image was replaced as a whole, and the screen with it, so that marks shown
    // on the screen alone are gone: a new background picture or canvas size, an undo or redo,
    // a commit. Also when the pixels came out the same.
    void pictureReplaced();
    // A local file was dropped onto the canvas (the first one when several were).
    void pictureFileDropped(const QString& path);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Drops are taken while acceptDrops() is on.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    PictureState state() const { return {picture_, persistent_}; }
    void takeState(const PictureState& state);

    QImage picture_;
    QImage persistent_;
    QImage screen_;
    QImage overlay_;
    bool autoRedraw_ = true;
    double currentX_ = 0;
    double currentY_ = 0;
    QColor foreColor_ = Qt::black;
    int drawWidth_ = 1;
    int drawStyle_ = 0;
    bool fontTransparent_ = true;
    PictureHistory history_;
};

}  // namespace stylorex
