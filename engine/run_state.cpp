#include "engine/run_state.h"

#include <stdexcept>

namespace stylorex {

RunState::RunState(QObject* parent) : QObject(parent) {}

void RunState::begin(QPoint origin) {
    if (inProgress_) {
        throw std::logic_error("a drawing run is already in progress");
    }
    inProgress_ = true;
    stopRequested_ = false;
    origin_ = origin;
    setResumable(false);
    emit inProgressChanged(true);
}

void RunState::end(const RunResult& result) {
    inProgress_ = false;
    lastResult_ = result;
    bool undrawnLeft = false;
    if (result.ending == RunResult::Ending::Aborted && !tables_.StartPointList.empty()) {
        for (std::size_t i = 1; tables_.StartPointList[i].X >= 0 && !undrawnLeft; ++i) {
            undrawnLeft = tables_.PixelMap(tables_.StartPointList[i]).Undrawn;
        }
    }
    setResumable(undrawnLeft);
    emit inProgressChanged(false);
}

void RunState::forgetResumableRun() {
    setResumable(false);
}

void RunState::setResumable(bool resumable) {
    if (resumable_ != resumable) {
        resumable_ = resumable;
        emit resumableChanged(resumable);
    }
}

void RunState::requestStop() {
    if (inProgress_) {
        stopRequested_ = true;
    }
}

}  // namespace stylorex
