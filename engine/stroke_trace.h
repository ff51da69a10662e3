#pragma once

#include "engine/pixel_scan.h"

#include <cstddef>
#include <cstdint>

namespace stylorex {

// The next step of a stroke from (x, y), a pixel inside 0..MaxX, 0..MaxY: the first of the
// eight neighbours, in the order down-left, down, down-right, left, right, up-left, up,
// up-right, that is a line pixel still undrawn. Neighbours outside the scanned picture are
// never looked at. Returns false with next = (-1, -1) when none qualifies. The caller clears
// Undrawn of each pixel it moves to before asking again.
bool NextStrokePoint(const ScanTables& tables, std::int16_t x, std::int16_t y, PixelPoint& next);

// The strokes of scanned tables in the order a run draws them: each stroke starts at the next
// entry of StartPointList whose pixel is still undrawn and follows NextStrokePoint from there.
// Every pixel is marked drawn as it is handed out, so a walk over a copy of the tables sees what
// a run would draw, and a walk over tables a run left behind sees only what it did not draw.
class StrokeWalker {
  public:
    explicit StrokeWalker(ScanTables& tables) : tables_(tables) {}

    // Puts the first pixel of the next stroke into `start`; false (and `start` unchanged) when
    // every start point has been drawn.
    bool nextStroke(PixelPoint& start) {
        for (;; ++nextStart_) {
            const PixelPoint candidate = tables_.StartPointList[nextStart_];
            if (candidate.X < 0) {
                return false;
            }
            PixelCell& cell = tables_.PixelMap(candidate);
            if (cell.Undrawn) {
                cell.Undrawn = false;
                at_ = candidate;
                start = candidate;
                ++nextStart_;
                return true;
            }
        }
    }

    // Puts the next pixel of the current stroke into `point`; false (and `point` unchanged) at
    // the stroke's end. Defined here so that the walk keeps its position in registers: this is
    // the run's inner loop.
    bool nextPoint(PixelPoint& point) {
        PixelPoint next;
        if (!peek(next)) {
            return false;
        }
        take(next);
        point = next;
        return true;
    }

    // The pixel nextPoint would hand out, without handing it out: nothing is marked.
    bool peek(PixelPoint& next) const { return NextStrokePoint(tables_, at_.X, at_.Y, next); }
    // Hands out `next`, which peek gave: marks it drawn and goes on from it.
    void take(PixelPoint next) {
        tables_.PixelMap(next).Undrawn = false;
        at_ = next;
    }

  private:
    ScanTables& tables_;
    std::size_t nextStart_ = 1;
    PixelPoint at_;
};

}  // namespace stylorex
