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
    emit inProgressChanged(true);
}

void RunState::end(const RunResult& result) {
    inProgress_ = false;
    lastResult_ = result;
    emit inProgressChanged(false);
}

void RunState::requestStop() {
    if (inProgress_) {
        stopRequested_ = true;
    }
}

}  // namespace stylorex
