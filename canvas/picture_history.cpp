#include "canvas/picture_history.h"

#include "canvas/canvas_image.h"

#include <cstring>
#include <set>

namespace stylorex {

namespace {

constexpr int kBytesPerPixel = 4;

bool sameData(const QImage& a, const QImage& b) {
    return a.isNull() ? b.isNull() : (!b.isNull() && a.cacheKey() == b.cacheKey());
}

// The smallest rectangle outside of which `a` and `b` (same size, 32-bit) are equal; empty
// when they are equal throughout.
QRect differingRect(const QImage& a, const QImage& b) {
    const int width = a.width();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;
    auto rowDiffers = [&](int y) {
        return std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0;
    };
    int top = 0;
    while (top < a.height() && !rowDiffers(top)) {
        ++top;
    }
    if (top == a.height()) {
        return {};
    }
    int bottom = a.height() - 1;
    while (!rowDiffers(bottom)) {
        --bottom;
    }
    int left = width;
    int right = -1;
    for (int y = top; y <= bottom; ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < left; ++x) {
            if (rowA[x] != rowB[x]) {
                left = x;
                break;
            }
        }
        for (int x = width - 1; x > right; --x) {
            if (rowA[x] != rowB[x]) {
                right = x;
                break;
            }
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

qint64 area(const QRect& rect) {
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

}  // namespace

PictureHistory::PictureHistory(qint64 maxBytes, int maxSteps)
    : maxBytes_(maxBytes), maxSteps_(maxSteps) {}

void PictureHistory::reset(const PictureState& current) {
    undo_.clear();
    redo_.clear();
    last_ = current;
}

PictureHistory::Side PictureHistory::describe(const PictureState& state, const PictureState& from) {
    Side side;
    side.background = state.background;
    side.size = state.persistent.size();
    const bool sameSize = side.size == from.persistent.size();
    if (sameSize) {
        side.rect = differingRect(state.persistent, from.persistent);
    }
    // Where the background or the size changed, the image rebuilt from the background alone is
    // often far closer (a load after a few strokes, a canvas size change).
    if (!sameSize || !sameData(state.background, from.background)) {
        const QRect againstBackground =
            differingRect(state.persistent, ComposedCanvas(state.background, side.size));
        if (!sameSize || area(againstBackground) < area(side.rect)) {
            side.fromBackground = true;
            side.rect = againstBackground;
        }
    }
    if (!side.rect.isEmpty()) {
        side.patch = state.persistent.copy(side.rect);
    }
    return side;
}

PictureState PictureHistory::rebuild(const Side& side, const PictureState& from) {
    PictureState state;
    state.background = side.background;
    state.persistent =
        side.fromBackground ? ComposedCanvas(side.background, side.size) : from.persistent;
    const std::size_t rowBytes = static_cast<std::size_t>(side.rect.width()) * kBytesPerPixel;
    for (int y = 0; y < side.patch.height(); ++y) {
        uchar* row = state.persistent.scanLine(side.rect.top() + y);
        std::memcpy(row + side.rect.left() * kBytesPerPixel, side.patch.constScanLine(y), rowBytes);
    }
    return state;
}

bool PictureHistory::record(const PictureState& current) {
    if (last_.persistent.isNull()) {
        last_ = current;
        return false;
    }
    if (last_.persistent.size() == current.persistent.size() &&
        differingRect(last_.persistent, current.persistent).isEmpty()) {
        last_.background = current.background;
        return false;
    }
    undo_.push_back(describe(last_, current));
    redo_.clear();
    last_ = current;
    trim();
    return true;
}

std::optional<PictureState> PictureHistory::undo(const PictureState& current) {
    record(current);
    if (undo_.empty()) {
        return std::nullopt;
    }
    const Side step = std::move(undo_.back());
    undo_.pop_back();
    const PictureState before = rebuild(step, last_);
    redo_.push_back(describe(last_, before));
    last_ = before;
    trim();
    return before;
}

std::optional<PictureState> PictureHistory::redo(const PictureState& current) {
    record(current);
    if (redo_.empty()) {
        return std::nullopt;
    }
    const Side step = std::move(redo_.back());
    redo_.pop_back();
    const PictureState after = rebuild(step, last_);
    undo_.push_back(describe(last_, after));
    last_ = after;
    trim();
    return after;
}

qint64 PictureHistory::bytes() const {
    qint64 total = 0;
    std::set<qint64> counted;
    if (!last_.background.isNull()) {
        counted.insert(last_.background.cacheKey());
    }
    for (const std::vector<Side>* sides : {&undo_, &redo_}) {
        for (const Side& side : *sides) {
            total += side.patch.sizeInBytes();
            if (!side.background.isNull() && counted.insert(side.background.cacheKey()).second) {
                total += side.background.sizeInBytes();
            }
        }
    }
    return total;
}

void PictureHistory::trim() {
    while (undoSteps() > maxSteps_) {
        undo_.erase(undo_.begin());
    }
    while (bytes() > maxBytes_ && !(undo_.empty() && redo_.empty())) {
        std::vector<Side>& oldest = undo_.empty() ? redo_ : undo_;
        oldest.erase(oldest.begin());
    }
}

}  // namespace stylorex
