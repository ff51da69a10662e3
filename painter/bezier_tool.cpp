#include "painter/bezier_tool.h"

#include "canvas/picture_box.h"
#include "painter/canvas_drawing.h"
#include "painter/pen.h"

#include <limits>

namespace stylorex {

namespace {

constexpr int kSolid = 0;
constexpr int kDotted = 2;

}  // namespace

bool PtInRect(const BezRect& rect, QPoint point) {
    return rect.left <= point.x() && point.x() < rect.right && rect.top <= point.y() &&
           point.y() < rect.bottom;
}

BezierTool::BezierTool(PictureBox* picSRC, const PenAttributes* pen) : picSRC_(picSRC), pen_(pen) {}

void BezierTool::SetPoint(int index, int x, int y) {
    BezPoints_[static_cast<std::size_t>(index)] = QPoint(x, y);
}

void BezierTool::SetHandleRect(int index) {
    const QPoint& p = BezPoints_[static_cast<std::size_t>(index)];
    BezRect& rect = BezHandles_[static_cast<std::size_t>(index)];
    rect.left = p.x() - kHandleSize / 2;
    rect.top = p.y() - kHandleSize / 2;
    rect.right = rect.left + kHandleSize;
    rect.bottom = rect.top + kHandleSize;
}

void BezierTool::DrawHandleBox(const BezRect& rect, const QColor& colour) {
    DrawBoxOutline(*picSRC_, QPoint(rect.left, rect.top), QPoint(rect.right, rect.bottom), colour);
}

void BezierTool::BezierMouseDown(std::int16_t x, std::int16_t y) {
    if (picSRC_->AutoRedraw()) {
        picSRC_->setAutoRedraw(false);
    }
    BezGrabbed_ = false;
    pressed_ = true;
    if (BezState_ == 0) {
        SetPoint(0, x, y + kStartOffset);
        SetPoint(1, x, y + kFirstControlOffset);
        SetPoint(2, x, y + kSecondControlOffset);
        SetPoint(3, x, y);
        DrawBezierPreview();
    } else if (BezState_ > 0) {
        const QPoint at(x, y);
        for (int i = 0; i < 4; ++i) {
            if (PtInRect(BezHandles_[static_cast<std::size_t>(i)], at)) {
                BezGrabbed_ = true;
                BezGrabIndex_ = static_cast<std::int16_t>(i);
                return;
            }
        }
        Commit();
    }
}

void BezierTool::Commit() {
    picSRC_->Cls();
    picSRC_->setAutoRedraw(true);
    PolyBezier(*picSRC_, BezPoints_);
    picSRC_->Refresh();
    picSRC_->setAutoRedraw(false);
    picSRC_->recordStep();
    BezState_ = -1;
}

void BezierTool::BezierMouseMove(std::int16_t x, std::int16_t y) {
    if (BezState_ == 0) {
        picSRC_->Cls();
        SetPoint(3, x, y);
        DrawBezierPreview();
    } else if (BezState_ > 0) {
        picSRC_->Cls();
        if (BezGrabbed_) {
            SetPoint(BezGrabIndex_, x, y);
            DrawBezierPreview();
        }
    }
}

void BezierTool::BezierMouseUp() {
    pressed_ = false;
    if (BezState_ < std::numeric_limits<std::int16_t>::max()) {
        ++BezState_;
    }
}

void BezierTool::DropCurve() {
    const bool shown = BezState_ > 0;
    BezGrabbed_ = false;
    BezState_ = pressed_ ? std::int16_t{-1} : std::int16_t{0};
    if (shown) {
        picSRC_->Refresh();
    }
}

void BezierTool::DrawBezierPreview() {
    for (int i = 0; i < 4; ++i) {
        SetHandleRect(i);
    }
    const bool autoRedraw = picSRC_->AutoRedraw();
    picSRC_->setAutoRedraw(false);
    PolyBezier(*picSRC_, BezPoints_);

    // The handles are drawn with a thin pen in the user's style, the arms dotted; then the
    // user's pen comes back for the next curve drawn with it.
    const int style = pen_ != nullptr ? pen_->chosenStyle() : kSolid;
    const int width = pen_ != nullptr ? pen_->chosenWidth() : 1;
    picSRC_->setDrawStyle(style);
    picSRC_->setDrawWidth(1);
    DrawHandleBox(BezHandles_[0], kEndHandleColour);
    DrawHandleBox(BezHandles_[3], kEndHandleColour);
    DrawHandleBox(BezHandles_[1], kControlColour);
    DrawHandleBox(BezHandles_[2], kControlColour);
    picSRC_->setDrawStyle(kDotted);
    DrawLine(*picSRC_, BezPoints_[1], BezPoints_[0], kControlColour);
    DrawLine(*picSRC_, BezPoints_[2], BezPoints_[3], kControlColour);
    picSRC_->setDrawWidth(width);
    picSRC_->setDrawStyle(style);
    picSRC_->setAutoRedraw(autoRedraw);
}

}  // namespace stylorex
