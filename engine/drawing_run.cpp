#include "engine/drawing_run.h"

#include "engine/stroke_trace.h"

#include <algorithm>
#include <limits>

namespace stylorex {

namespace {

class SteadyClock : public MonotonicClock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
};

// Marks the run in progress on the state for its lifetime. Declared before the button, so the
// run is marked ended only after the button is up. Unless the run says otherwise, it failed.
class RunInProgressMark {
  public:
    RunInProgressMark(RunState& state, QPoint origin) : state_(state) { state_.begin(origin); }
    ~RunInProgressMark() { state_.end(result); }
    RunInProgressMark(const RunInProgressMark&) = delete;
    RunInProgressMark& operator=(const RunInProgressMark&) = delete;

    RunResult result{RunResult::Ending::Failed, 0};

  private:
    RunState& state_;
};

// Tells the pointer that a run lasts from construction to destruction, whichever way it ends.
class RunBracket {
  public:
    explicit RunBracket(PointerDevice& pointer) : pointer_(pointer) { pointer_.runStarting(); }
    ~RunBracket() { pointer_.runEnded(); }
    RunBracket(const RunBracket&) = delete;
    RunBracket& operator=(const RunBracket&) = delete;

  private:
    PointerDevice& pointer_;
};

// Holds the left button from the press that starts a stroke until the matching release, and
// releases it when the run leaves in any other way (an exception on its way up).
class LeftButton {
  public:
    explicit LeftButton(PointerDevice& pointer) : pointer_(pointer) {}
    ~LeftButton() {
        if (down_) {
            try {
                pointer_.releaseLeft(x_, y_);
            } catch (...) {
                // Already unwinding; the exception that got us here is the one to report.
            }
        }
    }
    LeftButton(const LeftButton&) = delete;
    LeftButton& operator=(const LeftButton&) = delete;

    void press(int x, int y) {
        x_ = x;
        y_ = y;
        down_ = true;
        pointer_.pressLeft(x, y);
    }
    // The pointer stands on (x, y) now: a release on the way out happens there.
    void movedTo(int x, int y) {
        x_ = x;
        y_ = y;
    }
    void release(int x, int y) {
        down_ = false;
        pointer_.releaseLeft(x, y);
    }
    bool isDown() const { return down_; }

  private:
    PointerDevice& pointer_;
    bool down_ = false;
    int x_ = 0;
    int y_ = 0;
};

// Origin + picture coordinate as a 32-bit screen coordinate; saturates rather than wraps for
// origins at the very ends of the 32-bit range.
int screenCoordinate(std::int32_t origin, std::int16_t pixel) {
    const std::int64_t sum = static_cast<std::int64_t>(origin) + pixel;
    return static_cast<int>(std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max()));
}

void yieldOnce(const RunServices& services) {
    if (services.yield) {
        services.yield();
    }
}

// The test after each move inside a stroke. Esc is always queried, so its latch is consumed
// at the same points whether or not a stop was requested.
bool abortRequested(RunServices& services, const RunState& state) {
    const bool esc = services.pointer.escPressed();
    return esc || state.stopRequested();
}

}  // namespace

MonotonicClock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

QString StrokeCountText(std::int32_t strokes) {
    return QStringLiteral("概算ｽﾄﾛｰｸ数:") + QString::number(strokes);
}

void WaitMs(std::int32_t ms, const std::function<void()>& yield, MonotonicClock& clock) {
    if (ms <= 0) {
        return;
    }
    const auto deadline = clock.now() + std::chrono::milliseconds(ms);
    while (clock.now() < deadline) {
        if (yield) {
            yield();
        }
    }
}

std::int32_t RunDrawing(const QImage& picture, std::int32_t originX, std::int32_t originY,
                        const RunSettings& settings, RunServices& services, RunState& state) {
    RunInProgressMark mark(state, QPoint(originX, originY));
    RunResult& result = mark.result;
    ScanTables& tables = state.tables();
    PointerDevice& pointer = services.pointer;
    WindowText& window = services.window;
    // Outlives the button below: the button is released before the run counts as ended.
    RunBracket bracket(pointer);

    // An Esc press made before the run must not count: empty the latch.
    pointer.escPressed();
    pointer.escPressed();

    SetStatusText(window, 2, QStringLiteral("データ準備中"));
    SetCaptionTag(window, QStringLiteral("[データ準備中]"));
    ScanPicture(picture, settings.extraction, tables);

    SetStatusText(window, 2, QStringLiteral("描画開始"));
    SetCaptionTag(window,
                  QStringLiteral("[描画開始-wait %1ms] Escキーで中断").arg(settings.WaitTime));

    LeftButton button(pointer);
    StrokeWalker walker(tables);
    PixelPoint p;
    while (walker.nextStroke(p)) {
        int sx = screenCoordinate(originX, p.X);
        int sy = screenCoordinate(originY, p.Y);
        pointer.moveTo(sx, sy);
        button.press(sx, sy);

        while (walker.nextPoint(p)) {
            sx = screenCoordinate(originX, p.X);
            sy = screenCoordinate(originY, p.Y);
            pointer.moveTo(sx, sy);
            button.movedTo(sx, sy);
            yieldOnce(services);
            WaitMs(settings.WaitTime, services.yield, services.clock);
            if (abortRequested(services, state)) {
                if (button.isDown()) {
                    pointer.moveTo(sx, sy);
                    button.release(sx, sy);
                }
                yieldOnce(services);
                SetCaptionTag(window, QStringLiteral("[中断しました]"));
                SetStatusText(window, 2, QStringLiteral("中断"));
                result.ending = RunResult::Ending::Aborted;
                return result.strokes;
            }
        }

        pointer.moveTo(sx, sy);
        button.release(sx, sy);
        ++result.strokes;
    }
    SetCaptionTag(window, QStringLiteral("[処理完了]"));
    SetStatusText(window, 2, QStringLiteral("処理終了"));
    result.ending = RunResult::Ending::Completed;
    return result.strokes;
}

OriginCheck CheckOrigin(const QString& textX, const QString& textY, QSize primaryScreen) {
    OriginCheck check;
    if (textX == QStringLiteral("**") || textX.isEmpty() || textY.isEmpty()) {
        check.message = QStringLiteral("開始座標を設定してください");
        return check;
    }
    bool okX = false;
    bool okY = false;
    const int x = textX.toInt(&okX, 10);
    const int y = textY.toInt(&okY, 10);
    if (!okX || !okY || x > primaryScreen.width() || y > primaryScreen.height()) {
        check.message = QStringLiteral("開始座標が不正です");
        return check;
    }
    check.ok = true;
    check.OriginX = x;
    check.OriginY = y;
    return check;
}

}  // namespace stylorex
