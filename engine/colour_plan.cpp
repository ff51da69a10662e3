#include "engine/colour_plan.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace stylorex {

namespace {

void add(RunPlan& sum, const RunPlan& plan) {
    sum.strokes += plan.strokes;
    sum.linePixels += plan.linePixels;
    sum.moves += plan.moves;
    sum.waits += plan.waits;
}

// What a swatch click weighs in the estimate: the ends of a stroke and one wait.
RunPlan swatchClick() {
    RunPlan click;
    click.strokes = 1;
    click.waits = 1;
    return click;
}

// One stroke of a pass as the run would draw it.
struct TracedStroke {
    std::size_t pass = 0;
    std::vector<PixelPoint> pixels;
    std::int64_t runEnds = 0;  // moves that end a straight run

    RunPlan plan(const RunModes& modes) const {
        const auto steps = static_cast<std::int64_t>(pixels.size()) - 1;
        RunPlan plan;
        plan.strokes = 1;
        plan.linePixels = static_cast<std::int32_t>(pixels.size());
        // As WalkRun and WaitsAfterMove count them.
        plan.moves = modes.JoinRuns ? runEnds : steps;
        plan.waits = modes.FollowTarget || modes.JoinRuns ? runEnds : steps;
        return plan;
    }
};

// WalkRun's visitor, runs not joined: every stroke with all its pixels.
class StrokeTracer {
  public:
    StrokeTracer(std::size_t pass, std::vector<TracedStroke>& strokes)
        : pass_(pass), strokes_(strokes) {}

    void start(PixelPoint p) { strokes_.push_back(TracedStroke{pass_, {p}, 0}); }
    bool move(PixelPoint p, bool endsRun) {
        strokes_.back().pixels.push_back(p);
        strokes_.back().runEnds += endsRun ? 1 : 0;
        return true;
    }
    void end(PixelPoint) {}

  private:
    std::size_t pass_;
    std::vector<TracedStroke>& strokes_;
};

// Keeps the longest strokes (most pixels first; of equal ones, the earlier) that fit in `within`
// together with a click on each of their inks' swatches, and marks the others drawn in their
// passes' tables. A stroke left out leaves every other one traced as before: the tracer moves
// only into undrawn pixels, and those of a kept stroke it chose over the others' already.
void leaveOutWhatDoesNotFit(ColourPlan& plan, std::chrono::milliseconds within,
                            const RunModes& modes, double waitMs) {
    std::vector<TracedStroke> strokes;
    for (std::size_t i = 0; i < plan.passes.size(); ++i) {
        ScanTables walked = plan.passes[i].tables;
        StrokeTracer tracer(i, strokes);
        WalkRun(walked, false, tracer);
    }
    std::vector<std::size_t> longestFirst(strokes.size());
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        longestFirst[i] = i;
    }
    std::stable_sort(longestFirst.begin(), longestFirst.end(), [&](std::size_t a, std::size_t b) {
        return strokes[a].pixels.size() > strokes[b].pixels.size();
    });

    // Each pass is timed as the run draws it, its swatch click and its check included.
    std::vector<RunPlan> kept(plan.passes.size());
    const auto keptTime = [&](const std::vector<RunPlan>& passes) {
        std::chrono::milliseconds sum{0};
        for (const RunPlan& pass : passes) {
            sum += EstimatedRunTime(pass, waitMs);
        }
        return sum;
    };
    for (const std::size_t index : longestFirst) {
        const TracedStroke& stroke = strokes[index];
        std::vector<RunPlan> with = kept;
        if (with[stroke.pass].strokes == 0) {
            add(with[stroke.pass], swatchClick());
        }
        add(with[stroke.pass], stroke.plan(modes));
        if (keptTime(with) <= within) {
            kept = std::move(with);
            continue;
        }
        InkPass& pass = plan.passes[stroke.pass];
        for (const PixelPoint p : stroke.pixels) {
            pass.tables.PixelMap(p).Undrawn = false;
        }
        add(pass.leftOut, stroke.plan(modes));
    }
}

}  // namespace

RunPlan ColourPlan::total() const {
    RunPlan sum;
    for (const InkPass& pass : passes) {
        add(sum, pass.plan);
    }
    return sum;
}

RunPlan ColourPlan::leftOut() const {
    RunPlan sum;
    for (const InkPass& pass : passes) {
        add(sum, pass.leftOut);
    }
    return sum;
}

std::chrono::milliseconds ColourPlan::time() const {
    std::chrono::milliseconds sum{0};
    for (const InkPass& pass : passes) {
        sum += pass.time;
    }
    return sum;
}

QRect ColourPlan::bounds() const {
    QRect united;
    for (const InkPass& pass : passes) {
        united |= UndrawnLinePixelBounds(pass.tables);
    }
    return united;
}

std::chrono::milliseconds SwatchClickTime(double waitMs) {
    return EstimatedRunTime(swatchClick(), waitMs);
}

InkColours InkColoursOf(const Palette& palette) {
    InkColours colours;
    colours.background = palette.background;
    for (const Swatch& swatch : palette.swatches) {
        colours.inks.push_back(swatch.ink);
    }
    return colours;
}

ColourPlan PlanColours(const QImage& picture, const ColourSettings& colour, const RunModes& modes,
                       double waitMs) {
    ColourPlan plan;
    plan.picture = picture.size();
    const InkColours inks = InkColoursOf(colour.palette);
    if (inks.inks.empty()) {
        return plan;
    }
    const ReducedPicture reduced = ReduceToInks(picture, inks, colour.dithering);
    const std::vector<std::int32_t> counts = reduced.counts(inks.inks.size());

    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] > 0) {
            order.push_back(i);
        }
    }
    if (colour.order == InkOrder::ByPixels && !order.empty()) {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return counts[a] > counts[b]; });
        const auto darkest = std::min_element(order.begin(), order.end(), [&](auto a, auto b) {
            return Lightness(inks.inks[a]) < Lightness(inks.inks[b]);
        });
        std::rotate(darkest, darkest + 1, order.end());
    }

    for (const std::size_t i : order) {
        InkPass pass;
        pass.swatch = i;
        pass.ink = inks.inks[i];
        ScanPicture(reduced.mask(static_cast<int>(i)), ExtractionSettings{}, pass.tables);
        plan.passes.push_back(std::move(pass));
    }
    if (colour.within) {
        leaveOutWhatDoesNotFit(plan, *colour.within, modes, waitMs);
    }
    for (InkPass& pass : plan.passes) {
        pass.plan = PlanRun(pass.tables, modes);
        if (pass.plan.strokes > 0) {
            RunPlan clicked = pass.plan;
            add(clicked, swatchClick());
            pass.time = EstimatedRunTime(clicked, waitMs);
        }
        pass.leftOutTime = EstimatedRunTime(pass.leftOut, waitMs);
    }
    return plan;
}

}  // namespace stylorex
