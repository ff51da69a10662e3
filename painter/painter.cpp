#include "painter/painter.h"

#include "canvas/picture_box.h"
#include "painter/bezier_tool.h"
#include "painter/drawing_tools.h"
#include "painter/pen.h"

namespace stylorex {

Painter::Painter(const PainterControls& controls, QObject* parent) : QObject(parent) {
    pen_ = std::make_unique<PenAttributes>(controls.picSRC, controls.DWBar, controls.FramLine,
                                           controls.LineView, controls.cmbDrawStyle,
                                           controls.lblforecol);
    TextTool::Controls text;
    text.picSRC = controls.picSRC;
    text.txtChar = controls.txtChar;
    text.txtInput = controls.txtInput;
    text.txtTextOut[0] = controls.txtTextOut[0];
    text.txtTextOut[1] = controls.txtTextOut[1];
    text.txtAngle = controls.txtAngle;
    text.cmdfont = controls.cmdfont;
    text.cmdDrawZtxt[0] = controls.cmdDrawZtxt[0];
    text.cmdDrawZtxt[1] = controls.cmdDrawZtxt[1];
    text.dialogs = controls.dialogs;
    text.runState = controls.runState;
    text_ = std::make_unique<TextTool>(text);
    bezier_ = std::make_unique<BezierTool>(controls.picSRC, pen_.get());
    tools_ =
        std::make_unique<DrawingTools>(controls.picSRC, controls.cmbMethod, controls.mnu_menu1,
                                       pen_.get(), text_.get(), bezier_.get(), *controls.runState);

    DrawingTools* tools = tools_.get();
    connect(controls.picSRC, &PictureBox::mouseDown, tools, &DrawingTools::MouseDown);
    connect(controls.picSRC, &PictureBox::mouseMove, tools, &DrawingTools::MouseMove);
    connect(controls.picSRC, &PictureBox::mouseUp, tools, &DrawingTools::MouseUp);
    // A curve under edit belongs to the picture it was laid out over; once that is replaced (a
    // load, クリア, an undo or redo, a new size, a commit) its preview is gone and so is the curve.
    BezierTool* bezier = bezier_.get();
    connect(controls.picSRC, &PictureBox::pictureReplaced, this, [bezier] { bezier->DropCurve(); });
}

Painter::~Painter() = default;

void Painter::setFontChooser(FontChooser chooser) {
    text_->setFontChooser(std::move(chooser));
}

}  // namespace stylorex
