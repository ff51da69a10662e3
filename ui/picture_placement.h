#pragma once

#include "canvas/picture_fit.h"
#include "desktop/area_outline.h"
#include "ui/screen_pick_overlay.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QStatusBar;
class QWidget;

namespace stylorex {

class PictureBox;
class PointerDevice;
class RunState;
class ScreenReader;
class UserDialogs;

// The status bar's notices, each whole in the status bar at the window's first width: a picture
// larger than the canvas used in its top-left part; a picture fitted into a dragged area (the
// area, the result, the picture it was made from); a drag over a blank canvas; a canvas given a
// loaded picture's size. (A picture shrunk to the largest canvas: ShrunkPictureText().)
QString CropNoticeText(QSize used, QSize original);
QString FitNoticeText(QSize area, QSize fitted, QSize original);
QString BlankCanvasPickText();
QString CanvasFromPictureText(QSize size);

// Where and how large the picture lands on the desktop, for the main window:
//  - "描画範囲を選ぶ": the screen pick (ScreenPickOverlay). A click gives the origin; a drag gives
//    the origin and a size, and the picture is scaled to fit that size, its aspect kept, before
//    anything is extracted from it;
//  - "画像に合わせて読み込む": a picture file loaded onto a canvas of its own size, scaled down
//    to fit the largest canvas when it is larger;
//  - the notice that a picture larger than the canvas is used only in its top-left part;
//  - the outline of the area a run is going to cover, shown for a moment once the origin is set
//    and taken away when a run begins.
// Scaling keeps line art's pixels unless "なめらかに拡大縮小（写真向け）" is checked. Notices go to
// the status bar's message for a while.
class PicturePlacement : public QObject {
    Q_OBJECT
  public:
    static constexpr int kNoticeMs = 15000;

    struct Controls {
        PictureBox* picSRC = nullptr;
        // Reads where the pointer stands for the screen pick, where it can (null: not).
        PointerDevice* pointer = nullptr;
        QStatusBar* statusBar = nullptr;
        // Checkable: scale smoothly (photos) instead of keeping line pixels.
        QAction* smooth = nullptr;
        UserDialogs* dialogs = nullptr;
        QWidget* dialogParent = nullptr;
        // The outline goes when a run begins, and none comes while one is in progress.
        const RunState* runState = nullptr;
    };

    // Every control must outlive the object.
    explicit PicturePlacement(const Controls& controls, QObject* parent = nullptr);

    // Where the stills of the screen pick and the outline's check of the screen come from
    // (null: the pick says it cannot read the screen; the outline does not wait).
    void setScreenReader(ScreenReader* screen);

    // "描画範囲を選ぶ": opens the pick. `finished` gets the origin the user chose, after the
    // picture has been fitted to a dragged rectangle, or nothing when the pick was cancelled or
    // failed; it is not called when no pick opens (a run in progress).
    void pickArea(const std::function<void(std::optional<QPoint>)>& finished);
    // "画像に合わせて読み込む": the open dialog as "ファイルから読込" shows it (`lastChosenFile` as
    // it keeps it), then the chosen picture with the canvas at its size, all as one undo step.
    void loadFitted(QString& lastChosenFile);
    // Scales the picture on the canvas (its part that is not white) to fit `box`, keeping its
    // aspect, and makes the canvas that size (at most the largest canvas); one undo step. False,
    // and nothing changes, when the canvas is all white.
    bool fitPictureInto(QSize box);

    // The outline round `lineArea` (desktop pixels) for AreaOutline::kShownFor; nothing while a
    // run is in progress.
    void showOutline(const QRect& lineArea);

    PictureScaling scaling() const;
    AreaOutline& outline() { return outline_; }
    ScreenPickOverlay& areaPick() { return areaPick_; }

  signals:
    // The canvas took the size of a fitted picture.
    void canvasResized();

  private:
    // After every replacement of the picture: the notice when its background is larger than the
    // canvas; a stale one goes.
    void noticeCrop();
    void notice(const QString& text);
    // What fitPictureInto scales: the picture a previous fit started from while the canvas still
    // shows that fit's result; a loaded picture whole while nothing has been drawn over it; else
    // what the canvas shows. Cut to its part that is not white.
    QImage pictureToFit() const;

    Controls c_;
    ScreenReader* screen_ = nullptr;
    ScreenPickOverlay areaPick_;
    AreaOutline outline_;
    QString cropNotice_;
    // The source and the result of the last fit.
    QImage fittedFrom_;
    QImage fitted_;
};

}  // namespace stylorex
