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

// One stroke: its press at keys[0], then moves to the other keys in turn (for a smoothing target
// one more past the last one, PastTheEnd, so that the curve to it is drawn), then the release.
// A single key is a dot.
struct SmoothedPiece {
    std::vector<QPoint> keys;
};

// Plans a stroke walked pixel by pixel (`path`, 8-connected) as pieces for a pen centred on the
// pointer's pixel corner (as browsers' pens are) that reaches about a pixel either way, smoothed
// or not: keys at corners of the path's pixels, more than kSmoothedSpacingSquared and at most 10
// pixels apart, the line between two keys passing within half a pixel of every path pixel between
// them and covering no pixel farther than a pixel from the path, and the path turning by a few
// degrees at most at each key, so that curves through them stay on it; where it turns more, a
// new piece begins, and a bend too tight for any such line is drawn as dots, one every third
// pixel. Every pixel of the path gets ink within a pixel.
std::vector<SmoothedPiece> PlanSmoothedStroke(const std::vector<QPoint>& path);

// Where the move past the last key `end` of a piece goes, `before` the key before it: on along
// their line, as far again, so that the target keeps it and its curve to `end` stays straight.
inline QPoint PastTheEnd(QPoint before, QPoint end) {
    return end + (end - before);
}

}  // namespace stylorex
