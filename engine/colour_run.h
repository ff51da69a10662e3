#pragma once

#include "engine/colour_plan.h"
#include "engine/drawing_run.h"
#include "engine/run_state.h"

#include <QPoint>

#include <cstdint>
#include <stdexcept>

namespace stylorex {

// A swatch did not make its ink the target's: after its click, and after a second one, the
// target still drew in another ink. The run ends with the button up.
class InkNotTaken : public std::runtime_error {
  public:
    // `swatchNumber`: the swatch's place in the palette, from 1.
    explicit InkNotTaken(int swatchNumber);
    int swatchNumber() const { return swatchNumber_; }

  private:
    int swatchNumber_;
};

// Draws `plan` (PlanColours of the picture under settings.colour, which must be set) at `origin`
// in one run, as RunDrawing draws one ink (RunDrawingInPasses): for each ink with strokes to draw,
// a click on its swatch (a move there, a press and a release, paced as a stroke's end: with the
// fixed wait after the press and after the release, in the follow mode until the swatch's area on
// the screen reads the same twice), then its strokes. Where the target rectangle can be read back,
// the first press of each ink proves the switch: the pixel must come to show the ink (ShowsInk).
// If it shows another, the swatch is clicked again and the pixel pressed again, and if it still
// does not show the ink, the run throws InkNotTaken. A press that shows no change at all proves
// nothing (a target that paints on release) and the run goes on. The check compares the whole
// rectangle with the ink each pixel should show (CompareColours), each ink tallied.
std::int32_t RunColourDrawing(ColourPlan plan, QPoint origin, const RunSettings& settings,
                              RunServices& services, RunState& state);

}  // namespace stylorex
