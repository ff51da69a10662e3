#pragma once

#include <QColor>
#include <QPoint>

#include <array>
#include <cstdint>

namespace stylorex {

class PictureBox;
class PenAttributes;

// A handle's rectangle; a point is inside when left <= x < right and top <= y < bottom.
struct BezRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

bool PtInRect(const BezRect& rect, QPoint point);

// The Bezier tool: one cubic curve at a time. A first drag lays the curve out from the press
// point to the release point; while BezState is above 0 the curve is shown as a preview with
// four handles (red start and end, green control points, dotted green arms) and a handle can be
// dragged; a press outside every handle commits the curve into the persistent image with the
// user's pen. The state outlives a change of tool. The handles and arms are an editing aid: they
// go onto the screen image only, never into the persistent image, whatever AutoRedraw says.
class BezierTool {
  public:
    static constexpr int kHandleSize = 12;
    static constexpr int kStartOffset = -2;
    static constexpr int kFirstControlOffset = -20;
    static constexpr int kSecondControlOffset = 20;
    static inline const QColor kEndHandleColour{255, 0, 0};
    static inline const QColor kControlColour{0, 255, 0};

    BezierTool(PictureBox* picSRC, const PenAttributes* pen);

    void BezierMouseDown(std::int16_t x, std::int16_t y);
    void BezierMouseMove(std::int16_t x, std::int16_t y);
    void BezierMouseUp();
    // Curve, handle boxes and arms as preview drawing; AutoRedraw is left as it was.
    void DrawBezierPreview();
    // Forgets the curve under edit without drawing it, and takes its preview off the screen: the
    // picture it was laid out over has been replaced. A press still held then ends as after a
    // commit: its release makes the tool ready for a new curve.
    void DropCurve();

    // P0 start, P1 and P2 control points, P3 end.
    const std::array<QPoint, 4>& BezPoints() const { return BezPoints_; }
    const std::array<BezRect, 4>& BezHandles() const { return BezHandles_; }
    // 0 no curve; above 0 a curve under edit (the releases since it was laid out); -1 just
    // committed.
    std::int16_t BezState() const { return BezState_; }
    bool BezGrabbed() const { return BezGrabbed_; }
    std::int16_t BezGrabIndex() const { return BezGrabIndex_; }

  private:
    void SetPoint(int index, int x, int y);
    void SetHandleRect(int index);
    void DrawHandleBox(const BezRect& rect, const QColor& colour);
    void Commit();

    PictureBox* picSRC_;
    const PenAttributes* pen_;
    std::array<QPoint, 4> BezPoints_{};
    std::array<BezRect, 4> BezHandles_{};
    std::int16_t BezState_ = 0;
    bool BezGrabbed_ = false;
    std::int16_t BezGrabIndex_ = 0;
    // Between a press and its release.
    bool pressed_ = false;
};

}  // namespace stylorex
