#include "tests/support/pointer_fake.h"

namespace stylorex {

void FakePointer::record(const PointerOperation& op) {
    operations_.push_back(op);
    if (onOperation) {
        onOperation(op);
    }
}

void FakePointer::moveTo(int x, int y) {
    position_ = QPoint(x, y);
    ++moves_;
    if (tapAfterMoves_ && moves_ == *tapAfterMoves_) {
        tapLatched_ = true;
    }
    record(Move(x, y));
}

void FakePointer::pressLeft(int x, int y) {
    buttonDown_ = true;
    record(Press(x, y));
}

void FakePointer::releaseLeft(int x, int y) {
    buttonDown_ = false;
    record(Release(x, y));
}

bool FakePointer::escPressed() {
    const int n = ++escQueries_;
    const bool held = holdFrom_ && n >= *holdFrom_ && (!holdUntil_ || n <= *holdUntil_);
    const bool result = held || tapLatched_;
    tapLatched_ = false;
    record(EscQuery(result));
    return result;
}

QPoint FakePointer::position() {
    return position_;
}

void FakePointer::holdEscFromQuery(int n, std::optional<int> until) {
    holdFrom_ = n;
    holdUntil_ = until;
}

void FakePointer::tapEscAfterMoves(int moves) {
    tapAfterMoves_ = moves;
}

std::vector<PointerOperation> FakePointer::operationsOfKind(PointerOperation::Kind kind) const {
    std::vector<PointerOperation> result;
    for (const PointerOperation& op : operations_) {
        if (op.kind == kind) {
            result.push_back(op);
        }
    }
    return result;
}

}  // namespace stylorex
