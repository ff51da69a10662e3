#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace stylorex {

// The pictures every speed and exactness figure of the project is measured on, drawn in code
// the way the painter draws (black, one-pixel pen, no antialiasing) so that benchmarks and tests
// see the same pixels. Text needs a QGuiApplication (the offscreen platform will do) for its
// font.
enum class AcceptancePicture {
    LineArt,       // lines, a rectangle, ellipses and curves: long strokes and diagonals
    FilledShapes,  // filled rectangles, ellipses and a polygon: many strokes side by side
    Text,          // Japanese and Latin text in the IPA Gothic face: short, turning strokes
    Dots,          // isolated pixels: strokes of a press and a release only
};

const std::vector<AcceptancePicture>& AcceptancePictures();
QString AcceptancePictureName(AcceptancePicture picture);
QImage MakeAcceptancePicture(AcceptancePicture picture);

}  // namespace stylorex
