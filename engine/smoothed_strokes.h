#pragma once

#include <QPoint>

#include <vector>

namespace stylorex {

// A target that smooths its pen's path (a signature field): it leaves out a position closer than
// a few pixels to the last one it kept, joins the positions it keeps with curves through them,
// and draws each curve only once the position after it has come, so that the last piece of a
// stroke is never drawn. Its ink follows a stroke only where the positions it gets lie on a
// gentle path, far enough apart.

// Positions a smoothing target keeps lie more than this far apart (squared, in pixels): 5 px,
// what such pens leave out by default, and a little more.
constexpr int kSmoothedSpacingSquared = 26;

// One stroke for a smoothing target: its press at keys[0], then moves to the other keys in turn,
// then one more move past the last one (PastTheEnd) so that the curve to it is drawn, then the
// release. A single key is a dot: a press and a release.
struct SmoothedPiece {
    std::vector<QPoint> keys;
};

// Plans a stroke walked pixel by pixel (`path`, 8-connected) as pieces for a smoothing target:
// keys on the path more than kSmoothedSpacingSquared apart and at most a dozen pixels, every
// pixel between two keys within about half a pixel of the line joining them, and the path turning
// little at each key, so that the curves through them stay on it; where the path turns sharply or
// bends within a few pixels, a new piece begins, and a bend too tight for any such line is drawn
// as dots, one every third pixel. Every pixel of the path lies within a pixel of a key or of the
// line between two keys of a piece.
std::vector<SmoothedPiece> PlanSmoothedStroke(const std::vector<QPoint>& path);

// Where the move past the last key `end` of a piece goes, `before` the key before it: on along
// their line, as far again, so that the target keeps it and its curve to `end` stays straight.
inline QPoint PastTheEnd(QPoint before, QPoint end) {
    return end + (end - before);
}

}  // namespace stylorex
