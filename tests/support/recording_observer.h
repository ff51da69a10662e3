#pragma once

#include "engine/run_events.h"

#include <functional>
#include <string>
#include <vector>

namespace stylorex {

// Records what a run tells its observer, in order.
class RecordingObserver : public RunObserver {
  public:
    static std::string Name(RunPhase phase) {
        switch (phase) {
            case RunPhase::Preparing:
                return "preparing";
            case RunPhase::Drawing:
                return "drawing";
            case RunPhase::Completed:
                return "completed";
            case RunPhase::Aborted:
                return "aborted";
        }
        return {};
    }

    void phaseChanged(RunPhase phase) override {
        phases.push_back(phase);
        note("phase " + Name(phase));
    }
    void progressed(const RunProgress& report) override {
        progress.push_back(report);
        note("progress");
    }
    void waitingForKeysUp() override { note("keys held"); }
    void checkPending() override { note("check pending"); }
    void fellBackToFixedWait() override { note("fell back"); }
    void checking() override { note("checking"); }
    void checked(const RunCheck& check) override {
        checks.push_back(check);
        note("checked");
    }

    std::vector<RunPhase> phases;
    std::vector<RunProgress> progress;
    std::vector<RunCheck> checks;
    // Every event as one line ("phase drawing", "progress", "keys held", "check pending",
    // "fell back", "checking", "checked"), in order.
    std::vector<std::string> events;
    // Told of every event as it is recorded, for a test that puts the events on one timeline
    // with what else happens.
    std::function<void(const std::string&)> onEvent;

  private:
    void note(const std::string& line) {
        events.push_back(line);
        if (onEvent) {
            onEvent(line);
        }
    }
};

}  // namespace stylorex
