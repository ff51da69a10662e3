#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPoint>
#include <QString>

#include <array>

namespace stylorex {

class PictureBox;

// The drawing primitives of the painter. Each draws on the picture's current target (the
// persistent image and the screen with AutoRedraw on, the screen alone with it off), without
// antialiasing, so every pixel drawn is a pixel the drawing run will trace.
//
// Points are whole picture pixels: (x, y) is the pixel x columns right of and y rows below the
// top-left pixel, and pen lines run through the centres of their pixels, so a 1-pixel line from
// (10, 10) to (20, 10) covers exactly the eleven pixels (10..20, 10).

// A filled round dot as wide as the picture's DrawWidth, centred on `at` (on its centre for
// odd widths, on its top-left corner for even ones, so that the dot is exactly DrawWidth pixels
// across); width 1 is the single pixel.
void DrawDot(PictureBox& picture, QPoint at, const QColor& colour);

// A line with the picture's width and style (DrawStyle shows only at width 1), both end points
// included.
void DrawLine(PictureBox& picture, QPoint from, QPoint to, const QColor& colour);

// A box outline through both corners (both included) with the picture's width and style.
void DrawBoxOutline(PictureBox& picture, QPoint corner1, QPoint corner2, const QColor& colour);

// A circle or ellipse outline centred on `centre`. Aspect below 1: the horizontal semi-axis
// is `radius` and the vertical radius * aspect; above 1: the vertical is `radius` and the
// horizontal radius / aspect; 1: a circle. A semi-axis of 0 gives a straight line along the
// other axis, both semi-axes 0 a single pen dot.
void DrawEllipseOutline(PictureBox& picture, QPoint centre, double radius, const QColor& colour,
                        double aspect = 1.0);

// Our stand-in for the GDI Rectangle on the picture's device context: the corners may come in
// any order; the outline runs from the smaller to one before the larger coordinate on each
// axis (the right and bottom edges are excluded, as GDI does), drawn with the picture's pen
// (ForeColor, DrawWidth, DrawStyle); the fill is transparent. An empty rectangle draws nothing.
void Rectangle(PictureBox& picture, int left, int top, int right, int bottom);

// One cubic Bezier segment (start, two control points, end) with the picture's pen.
void PolyBezier(PictureBox& picture, const std::array<QPoint, 4>& points);

// The font the picture draws text with: the picture's own font at the pixel size its points
// have at the canvas's 96 dots per inch, without antialiasing.
QFont CanvasFont(const PictureBox& picture);

// Prints `text` at (CurrentX, CurrentY), the top-left corner of its first line, in the picture's
// font and ForeColor. With FontTransparent off each line's cell is first filled with the
// picture's background colour. A line break (CR LF, LF or CR) continues one line lower at
// x = 0; afterwards the position is at x = 0 one line below the last line.
void PrintText(PictureBox& picture, const QString& text);

// The glyph outlines of `text` as PrintText would place it from (x, y), and the y where the
// line after it would start. Stands in for the path bracket around the text output.
QPainterPath TextOutlinePath(const PictureBox& picture, double x, double y, const QString& text,
                             double* nextLineY = nullptr);

// Strokes the glyph outlines of `text`, placed as PrintText places it from (CurrentX,
// CurrentY), with the picture's whole pen; the glyphs stay hollow. Moves the position as
// PrintText does.
void StrokeTextOutline(PictureBox& picture, const QString& text);

}  // namespace stylorex
