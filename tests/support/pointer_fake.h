#pragma once

#include "os/pointer_device.h"

#include <functional>
#include <optional>
#include <vector>

namespace stylorex {

// One operation on the pointer layer, as the recording fake saw it.
struct PointerOperation {
    enum class Kind { Move, Press, Release, EscQuery };
    Kind kind = Kind::Move;
    int x = 0;  // Move, Press, Release: the coordinates passed
    int y = 0;
    bool escResult = false;  // EscQuery: what the query answered

    friend bool operator==(const PointerOperation&, const PointerOperation&) = default;
};

// A pointer device for tests: records every operation in order and answers Esc queries and
// position requests from a script. Esc queries are numbered from 1 in the order they come.
class FakePointer : public PointerDevice, public StopWatch, public PointerLimits {
  public:
    FakePointer() : PointerDevice(*this, *this) {}
    static PointerOperation Move(int x, int y) { return {PointerOperation::Kind::Move, x, y}; }
    static PointerOperation Press(int x, int y) { return {PointerOperation::Kind::Press, x, y}; }
    static PointerOperation Release(int x, int y) {
        return {PointerOperation::Kind::Release, x, y};
    }
    static PointerOperation EscQuery(bool result) {
        return {PointerOperation::Kind::EscQuery, 0, 0, result};
    }

    void moveTo(int x, int y) override;
    void pressLeft(int x, int y) override;
    void releaseLeft(int x, int y) override;
    bool escPressed() override;
    StopCause stopCause() const override { return stopCause_; }
    QPoint position() override;
    QSize primaryScreenSize() override { return screenSize_; }
    bool canWatchEsc() const override { return canWatchEsc_; }
    QString whyEscCannotStop() const override {
        return canWatchEsc_
                   ? QString()
                   : QStringLiteral("このポインタでは描画を Esc で止めることはできません。");
    }
    QString displayName() const override { return displayName_; }

    // Esc is held down from query `n` on, up to and including query `until` when given.
    void holdEscFromQuery(int n, std::optional<int> until = std::nullopt);
    // Esc is pressed once after `moves` moves have been made; the next query reports it.
    void tapEscAfterMoves(int moves);
    void setPosition(QPoint position) { position_ = position; }
    void setScreenSize(QSize size) { screenSize_ = size; }
    void setCanWatchEsc(bool can) { canWatchEsc_ = can; }
    void setDisplayName(const QString& name) { displayName_ = name; }
    // What the Esc queries that answer true saw.
    void setStopCause(StopCause cause) { stopCause_ = cause; }
    // Runs after each operation is recorded; a test may throw from it.
    std::function<void(const PointerOperation&)> onOperation;

    const std::vector<PointerOperation>& operations() const { return operations_; }
    std::vector<PointerOperation> operationsOfKind(PointerOperation::Kind kind) const;
    int moveCount() const { return moves_; }
    int escQueryCount() const { return escQueries_; }
    bool leftButtonDown() const { return buttonDown_; }

  private:
    void record(const PointerOperation& op);

    std::vector<PointerOperation> operations_;
    QPoint position_{0, 0};
    QSize screenSize_{1280, 1024};
    int moves_ = 0;
    int escQueries_ = 0;
    bool buttonDown_ = false;
    bool canWatchEsc_ = true;
    QString displayName_;
    StopCause stopCause_ = StopCause::EscKey;
    std::optional<int> holdFrom_;
    std::optional<int> holdUntil_;
    std::optional<int> tapAfterMoves_;
    bool tapLatched_ = false;
};

}  // namespace stylorex
