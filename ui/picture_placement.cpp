#include "ui/picture_placement.h"

#include "canvas/canvas_image.h"
#include "canvas/picture_box.h"
#include "common/user_dialogs.h"
#include "engine/run_state.h"
#include "ui/picture_commands.h"

#include <QAction>
#include <QCoreApplication>
#include <QStatusBar>

namespace stylorex {

namespace {

QString SizeText(QSize size) {
    return QStringLiteral("%1×%2").arg(size.width()).arg(size.height());
}

const QSize kLargestCanvas(kLargestCanvasWidth, kLargestCanvasHeight);

}  // namespace

QString CropNoticeText(QSize used, QSize original) {
    return QCoreApplication::translate("PicturePlacement",
                                       "画像の左上 %1 を使います（元の大きさ %2）")
        .arg(SizeText(used), SizeText(original));
}

QString FitNoticeText(QSize area, QSize fitted, QSize original) {
    return QCoreApplication::translate("PicturePlacement",
                                       "描画範囲 %1 に合わせて画像を %2 に（元 %3）")
        .arg(SizeText(area), SizeText(fitted), SizeText(original));
}

QString BlankCanvasPickText() {
    return QCoreApplication::translate("PicturePlacement",
                                       "キャンバスが白紙のため、出力開始座標だけを設定しました");
}

QString CanvasFromPictureText(QSize size) {
    return QCoreApplication::translate("PicturePlacement", "キャンバスを画像の大きさ %1 にしました")
        .arg(SizeText(size));
}

PicturePlacement::PicturePlacement(const Controls& controls, QObject* parent)
    : QObject(parent), c_(controls), areaPick_(nullptr, controls.pointer) {
    connect(c_.picSRC, &PictureBox::pictureReplaced, this, &PicturePlacement::noticeCrop);
    // Before the run reads the screen or presses anywhere.
    connect(c_.runState, &RunState::inProgressChanged, this, [this](bool running) {
        if (running) {
            outline_.withdraw();
        }
    });
}

void PicturePlacement::setScreenReader(ScreenReader* screen) {
    screen_ = screen;
    areaPick_.setScreenReader(screen);
}

PictureScaling PicturePlacement::scaling() const {
    return c_.smooth != nullptr && c_.smooth->isChecked() ? PictureScaling::Smooth
                                                          : PictureScaling::LineArt;
}

void PicturePlacement::notice(const QString& text) {
    c_.statusBar->showMessage(text, kNoticeMs);
}

void PicturePlacement::noticeCrop() {
    const QImage& background = c_.picSRC->picture();
    const QSize canvas = c_.picSRC->persistentImage().size();
    if (!background.isNull() &&
        (background.width() > canvas.width() || background.height() > canvas.height())) {
        cropNotice_ = CropNoticeText(canvas, background.size());
        notice(cropNotice_);
    } else if (!cropNotice_.isEmpty() && c_.statusBar->currentMessage() == cropNotice_) {
        c_.statusBar->clearMessage();
    }
}

void PicturePlacement::pickArea(const std::function<void(std::optional<QPoint>)>& finished) {
    if (!c_.runState->allows(UserCommand::PickOnScreen)) {
        return;
    }
    areaPick_.pick([this, finished](const PointPicker::Result& picked) {
        if (!picked.error.isEmpty()) {
            c_.dialogs->message(picked.error);
        }
        if (!picked.point) {
            finished(std::nullopt);
            return;
        }
        if (picked.area && !fitPictureInto(picked.area->size())) {
            notice(BlankCanvasPickText());
        }
        finished(*picked.point);
    });
}

QImage PicturePlacement::pictureToFit() const {
    const QImage& persistent = c_.picSRC->persistentImage();
    QImage source = persistent;
    if (!fitted_.isNull() && persistent == ComposedCanvas(fitted_, persistent.size())) {
        source = fittedFrom_;
    } else {
        const QImage& background = c_.picSRC->picture();
        if (!background.isNull() && persistent == ComposedCanvas(background, persistent.size())) {
            source = background;
        }
    }
    const QRect content = NonWhiteBounds(source);
    return content.isNull() ? QImage() : source.copy(content);
}

bool PicturePlacement::fitPictureInto(QSize box) {
    const QImage source = pictureToFit();
    if (source.isNull() || box.isEmpty()) {
        return false;
    }
    const QSize size = FittedSize(source.size(), box.boundedTo(kLargestCanvas));
    const QImage scaled = ScalePicture(source, size, scaling());
    c_.picSRC->setPictureAtSize(scaled, size);
    fittedFrom_ = source;
    fitted_ = c_.picSRC->picture();
    emit canvasResized();
    notice(FitNoticeText(box, size, source.size()));
    return true;
}

void PicturePlacement::loadFitted(QString& lastChosenFile) {
    if (!c_.runState->allows(UserCommand::FitLoadPicture)) {
        return;
    }
    // The dialog and the decoder fill a canvas of their own, never shown; the window's canvas
    // then changes once, picture and size together.
    PictureBox chosen;
    if (!LoadPictureFromDialog(chosen, lastChosenFile, c_.dialogParent, *c_.dialogs) ||
        chosen.picture().isNull()) {
        return;
    }
    const QImage original = chosen.picture();
    const PictureOnCanvas picture = PictureOnOwnCanvas(original, CanvasFit::Shrink, scaling());
    c_.picSRC->setPictureAtSize(picture.background, picture.size);
    emit canvasResized();
    if (picture.shrunk) {
        notice(ShrunkPictureText(picture.size, original.size()));
    } else {
        notice(CanvasFromPictureText(picture.size));
    }
}

void PicturePlacement::showOutline(const QRect& lineArea) {
    if (!c_.runState->allows(UserCommand::ShowOutline)) {
        return;
    }
    outline_.showAround(lineArea, screen_);
}

}  // namespace stylorex
