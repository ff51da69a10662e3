#include "painter/drawing_tools.h"

#include "canvas/picture_box.h"
#include "engine/run_state.h"
#include "painter/bezier_tool.h"
#include "painter/canvas_drawing.h"
#include "painter/coordinates.h"
#include "painter/pen.h"
#include "painter/text_tool.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMenu>

#include <array>
#include <cmath>

namespace stylorex {

namespace {

constexpr int kLeft = 1;
constexpr int kRight = 2;
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

const std::array<const char*, 8> kToolNames = {
    QT_TRANSLATE_NOOP("DrawingTools", "文字"),   QT_TRANSLATE_NOOP("DrawingTools", "鉛筆"),
    QT_TRANSLATE_NOOP("DrawingTools", "直線"),   QT_TRANSLATE_NOOP("DrawingTools", "四角"),
    QT_TRANSLATE_NOOP("DrawingTools", "正円"),   QT_TRANSLATE_NOOP("DrawingTools", "楕円"),
    QT_TRANSLATE_NOOP("DrawingTools", "ベジェ"), QT_TRANSLATE_NOOP("DrawingTools", "消しゴム")};

QPoint wholePoint(float x, float y) {
    return QPoint(RoundHalfEven(x), RoundHalfEven(y));
}

}  // namespace

void AddToolItems(QComboBox& list) {
    for (std::size_t i = 0; i < kToolNames.size(); ++i) {
        list.addItem(QCoreApplication::translate("DrawingTools", kToolNames[i]),
                     static_cast<int>(i));
    }
}

float AbsDiff(float a, float b) {
    return std::fabs(a - b);
}

float PointDistance(float x1, float y1, float x2, float y2) {
    return std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
}

std::optional<float> EllipseAspect(float w, float h) {
    if (w == 0.0f) {
        return std::nullopt;
    }
    return h / w;
}

void DrawRectangle(PictureBox& picture, float x1, float y1, float x2, float y2) {
    Rectangle(picture, RoundHalfEven(x1), RoundHalfEven(y1), RoundHalfEven(x2), RoundHalfEven(y2));
}

DrawingTools::DrawingTools(PictureBox* picSRC, QComboBox* cmbMethod, QMenu* mnu_menu1,
                           const PenAttributes* pen, TextTool* text, BezierTool* bezier,
                           const RunState& runState, QObject* parent)
    : QObject(parent),
      picSRC_(picSRC),
      cmbMethod_(cmbMethod),
      mnu_menu1_(mnu_menu1),
      pen_(pen),
      text_(text),
      bezier_(bezier),
      runState_(runState) {
    connect(cmbMethod_, &QComboBox::currentIndexChanged, this, &DrawingTools::selectTool);
    // A list the window filled is selected by the window's start-up, which runs this handler
    // as a user's choice would; an empty list is filled and set to the pencil here.
    if (cmbMethod_->count() == 0) {
        AddToolItems(*cmbMethod_);
        cmbMethod_->setCurrentIndex(kToolPencil);
    }
    selectTool(cmbMethod_->currentIndex());
}

void DrawingTools::selectTool(int index) {
    if (index < 0) {
        return;
    }
    const std::int16_t before = DrawMethod_;
    DrawMethod_ = static_cast<std::int16_t>(cmbMethod_->itemData(index).toInt());
    // Back at the Bezier tool, a curve still under edit shows again with its handles: another
    // tool's preview may have cleared it from the screen, and the next press grabs or commits it.
    if (DrawMethod_ == kToolBezier && before != kToolBezier && bezier_->BezState() > 0) {
        bezier_->DrawBezierPreview();
    }
}

void DrawingTools::MouseDown(int button, int /*shift*/, float x, float y) {
    if (!runState_.allows(UserCommand::PaintOnCanvas) || button != kLeft) {
        return;
    }
    PictureBox& picture = *picSRC_;
    if (DrawMethod_ != kToolEraser) {
        picture.setForeColor(kBlack);
    }
    switch (DrawMethod_) {
        case kToolText:
            if (text_->charBoxShown()) {
                text_->CommitCharText();
            }
            break;
        case kToolPencil:
            if (!picture.AutoRedraw()) {
                picture.setAutoRedraw(true);
            }
            DrawDot(picture, wholePoint(x, y), pen_->drawingColour());
            break;
        case kToolLine:
        case kToolRectangle:  // previews on the screen only, so a first Cls keeps the drawing
        case kToolCircle:
        case kToolEllipse:
            if (picture.AutoRedraw()) {
                picture.setAutoRedraw(false);
            }
            break;
        case kToolBezier:
            bezier_->BezierMouseDown(RoundToInt16(x), RoundToInt16(y));
            break;
        case kToolEraser:
            picture.setForeColor(kWhite);
            if (!picture.AutoRedraw()) {
                picture.setAutoRedraw(true);
            }
            DrawDot(picture, wholePoint(x, y), kWhite);
            break;
        default:
            break;
    }
    DownX_ = x;
    DownY_ = y;
}

void DrawingTools::drawLine(float x, float y) {
    DrawLine(*picSRC_, wholePoint(DownX_, DownY_), wholePoint(x, y), pen_->drawingColour());
}

void DrawingTools::drawCircle(float x, float y) {
    DrawEllipseOutline(*picSRC_, wholePoint(DownX_, DownY_), PointDistance(DownX_, DownY_, x, y),
                       pen_->drawingColour());
}

void DrawingTools::drawEllipse(float x, float y) {
    const float w = AbsDiff(DownX_, x);
    const float r = PointDistance(DownX_, DownY_, x, y);
    const float h = AbsDiff(DownY_, y);
    const std::optional<float> aspect = EllipseAspect(w, h);
    if (!aspect) {
        return;
    }
    DrawEllipseOutline(*picSRC_, wholePoint(DownX_, DownY_), r, pen_->drawingColour(), *aspect);
}

void DrawingTools::MouseMove(int button, int /*shift*/, float x, float y) {
    if (!runState_.allows(UserCommand::PaintOnCanvas) || button != kLeft) {
        return;
    }
    PictureBox& picture = *picSRC_;
    switch (DrawMethod_) {
        case kToolPencil:
            DrawDot(picture, wholePoint(x, y), pen_->drawingColour());
            break;
        case kToolLine:
            picture.Cls();
            drawLine(x, y);
            break;
        case kToolRectangle:
            picture.Cls();
            DrawRectangle(picture, DownX_, DownY_, x, y);
            break;
        case kToolCircle:
            picture.Cls();
            drawCircle(x, y);
            break;
        case kToolEllipse:
            picture.Cls();
            drawEllipse(x, y);
            break;
        case kToolBezier:
            bezier_->BezierMouseMove(RoundToInt16(x), RoundToInt16(y));
            break;
        case kToolEraser:
            DrawDot(picture, wholePoint(x, y), kWhite);
            break;
        default:
            break;
    }
}

void DrawingTools::MouseUp(int button, int /*shift*/, float x, float y) {
    if (!runState_.allows(UserCommand::PaintOnCanvas)) {
        return;
    }
    if (button == kRight) {
        const QPoint global = picSRC_->mapToGlobal(wholePoint(x, y));
        emit contextMenuRequested(global);
        if (mnu_menu1_ != nullptr) {
            mnu_menu1_->popup(global);
        }
        return;
    }
    if (button != kLeft) {
        return;
    }
    PictureBox& picture = *picSRC_;
    // Each step that cannot be done (an ellipse without horizontal extent) is left out and the
    // rest still runs; the release always ends in preview mode. The shapes first clear the last
    // preview, so that the screen shows exactly the persistent image even when the release
    // lands somewhere the last move did not.
    const bool shape = DrawMethod_ == kToolLine || DrawMethod_ == kToolRectangle ||
                       DrawMethod_ == kToolCircle || DrawMethod_ == kToolEllipse;
    if (shape && !picture.AutoRedraw()) {
        picture.Cls();
    }
    switch (DrawMethod_) {
        case kToolText:
            text_->OpenCharBox(x, y);
            break;
        case kToolLine:
            picture.setAutoRedraw(true);
            drawLine(x, y);
            picture.setAutoRedraw(false);
            break;
        case kToolRectangle:
            picture.setAutoRedraw(true);
            DrawRectangle(picture, DownX_, DownY_, x, y);
            break;
        case kToolCircle:
            picture.setAutoRedraw(true);
            drawCircle(x, y);
            picture.setAutoRedraw(false);
            break;
        case kToolEllipse:
            picture.setAutoRedraw(true);
            drawEllipse(x, y);
            picture.setAutoRedraw(false);
            break;
        case kToolBezier:
            bezier_->BezierMouseUp();
            break;
        default:
            break;
    }
    picture.setAutoRedraw(false);
    // A stroke of the pencil or the eraser, a shape or a committed curve is one undo step.
    picture.recordStep();
}

}  // namespace stylorex
