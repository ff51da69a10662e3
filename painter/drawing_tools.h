#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>

class QComboBox;
class QMenu;

namespace stylorex {

class BezierTool;
class PenAttributes;
class PictureBox;
class RunState;
class TextTool;

// The tools of cmbMethod; each entry's item data is its position.
enum DrawTool : std::int16_t {
    kToolText = 0,
    kToolPencil = 1,
    kToolLine = 2,
    kToolRectangle = 3,
    kToolCircle = 4,
    kToolEllipse = 5,
    kToolBezier = 6,
    kToolEraser = 7,
};

// Adds the tools' names to `list` in tool order, each entry's item data its DrawTool. An empty
// list selects its first entry as it gets it.
void AddToolItems(QComboBox& list);

// |a - b|.
float AbsDiff(float a, float b);
// The distance between (x1, y1) and (x2, y2).
float PointDistance(float x1, float y1, float x2, float y2);
// The ellipse tool's aspect h / w; nothing when w is 0 (the ellipse is then not drawn).
std::optional<float> EllipseAspect(float w, float h);

// Rectangle on the picture's current target with the four coordinates rounded to whole pixels.
void DrawRectangle(PictureBox& picture, float x1, float y1, float x2, float y2);

// The picture's mouse events for the tools of cmbMethod; none acts while a drawing run is in
// progress. Press and move act only for the left button alone (button value 1); release acts for
// the left button (the shapes) and the right one (the "元絵(&M)" menu at the pointer). Shapes are
// previewed on the screen only (AutoRedraw off, each move clears the previous preview with Cls) and
// the release draws the final shape into the persistent image where the last preview stood; every
// left release leaves AutoRedraw off and ends one undo step.
class DrawingTools : public QObject {
    Q_OBJECT
  public:
    DrawingTools(PictureBox* picSRC, QComboBox* cmbMethod, QMenu* mnu_menu1,
                 const PenAttributes* pen, TextTool* text, BezierTool* bezier,
                 const RunState& runState, QObject* parent = nullptr);

    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);

    std::int16_t DrawMethod() const { return DrawMethod_; }
    float DownX() const { return DownX_; }
    float DownY() const { return DownY_; }

  signals:
    // The context menu was asked for at this global position (tests close it again).
    void contextMenuRequested(QPoint globalPos);

  private:
    void selectTool(int index);
    void drawCircle(float x, float y);
    void drawEllipse(float x, float y);
    void drawLine(float x, float y);

    PictureBox* picSRC_;
    QComboBox* cmbMethod_;
    QMenu* mnu_menu1_;
    const PenAttributes* pen_;
    TextTool* text_;
    BezierTool* bezier_;
    const RunState& runState_;
    std::int16_t DrawMethod_ = kToolPencil;
    float DownX_ = 0;
    float DownY_ = 0;
};

}  // namespace stylorex
