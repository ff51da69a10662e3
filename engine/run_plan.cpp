#include "engine/run_plan.h"

#include "engine/pen_plan.h"

#include <algorithm>

namespace stylorex {

namespace {

class PlanCounter {
  public:
    PlanCounter(RunPlan& plan, const RunModes& modes) : plan_(plan), modes_(modes) {}

    void start(PixelPoint) { ++plan_.strokes; }
    bool move(PixelPoint, bool endsRun) {
        ++plan_.moves;
        if (WaitsAfterMove(endsRun, modes_)) {
            ++plan_.waits;
        }
        return true;
    }
    void end(PixelPoint) {}

  private:
    RunPlan& plan_;
    const RunModes& modes_;
};

}  // namespace

RunPlan PlanRun(const ScanTables& tables, const RunModes& modes) {
    RunPlan plan;
    if (tables.StartPointList.empty()) {
        return plan;  // never scanned
    }
    if (modes.PenWidth > 1) {
        const DrawMask covered = PenCoverage(tables, modes.PenWidth);
        plan.linePixels =
            static_cast<std::int32_t>(std::count(covered.cells.begin(), covered.cells.end(), 1));
    } else {
        for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
            if (tables.PixelMap(tables.StartPointList[i]).Undrawn) {
                ++plan.linePixels;
            }
        }
    }
    ScanTables walked = tables;
    PlanCounter counter(plan, modes);
    WalkRun(walked, modes.JoinRuns, counter);
    return plan;
}

RunPlan PlanPicture(const QImage& picture, const ExtractionSettings& extraction,
                    const RunModes& modes) {
    ScanTables tables;
    ScanForRun(picture, extraction, modes, tables);
    return PlanRun(tables, modes);
}

void ScanForRun(const QImage& picture, const ExtractionSettings& extraction, const RunModes& modes,
                ScanTables& tables) {
    ScanPicture(picture, extraction, tables);
    PlanPenStrokes(tables, modes.PenWidth);
}

RunCosts MeasuredRunCosts() {
    using std::chrono::microseconds;
    return RunCosts{microseconds(20), microseconds(400), microseconds(300), microseconds(40000)};
}

double ExpectedWaitMs(const RunModes& modes, double fixedWaitMs, const RunCosts& costs) {
    return modes.FollowTarget ? std::chrono::duration<double, std::milli>(costs.inkWait).count()
                              : fixedWaitMs;
}

std::chrono::milliseconds EstimatedRunTime(const RunPlan& plan, double waitMs,
                                           const RunCosts& costs) {
    using Ms = std::chrono::duration<double, std::milli>;
    Ms total = Ms(waitMs) * static_cast<double>(plan.waits) +
               Ms(costs.move) * static_cast<double>(plan.moves) +
               Ms(costs.strokeEnds) * static_cast<double>(plan.strokes);
    if (plan.strokes > 0) {
        total += Ms(costs.check);
    }
    return std::chrono::round<std::chrono::milliseconds>(total);
}

}  // namespace stylorex
