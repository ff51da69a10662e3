#pragma once

#include "cli/command_line.h"
#include "cli/terminal.h"
#include "run/draw_job.h"

#include <memory>

namespace stylorex {

// What `stylorex draw` shows of its job, one reporter per output: the plan alone (--plan, as
// text or with --json as JSON, and the plan's picture with --plan-image), or a run's result as
// text or as JSON. Results go to the terminal's results.
class DrawReporter {
  public:
    virtual ~DrawReporter() = default;
    // Whether the command draws; one that shows the plan alone does not.
    virtual bool draws() const = 0;
    // The plan; false when it could not be shown (its picture could not be written: said).
    virtual bool plan(const DrawJobPlan& plan) = 0;
    virtual void result(const DrawJobReport& report) = 0;
};

// The reporter `options` ask for, writing to `terminal`.
std::unique_ptr<DrawReporter> MakeDrawReporter(const DrawOptions& options, Terminal& terminal);

}  // namespace stylorex
