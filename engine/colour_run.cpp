#include "engine/colour_run.h"

#include "engine/colour_check.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

using std::chrono::milliseconds;

// The longest the proof waits for the first press of an ink to show on the screen, and how long
// it lets a pixel show another ink before it takes that for the target's answer.
constexpr milliseconds kProofLimit{300};
constexpr milliseconds kOtherInkSettle{20};
constexpr std::chrono::microseconds kProofPoll{250};
// The area read round a swatch after its click in the follow mode, until two reads agree.
constexpr int kSwatchAreaSide = 15;
constexpr milliseconds kSwatchSettleInterval{2};
constexpr milliseconds kSwatchSettleLimit{200};

QString inkNotTakenText(int swatchNumber) {
    return QCoreApplication::translate("ColourRun", "色を切り替えられませんでした（スウォッチ %1）")
        .arg(swatchNumber);
}

class ColourPasses : public RunPasses {
  public:
    ColourPasses(ColourPlan& plan, QPoint origin, const RunSettings& settings,
                 RunServices& services)
        : palette_(settings.colour->palette), settings_(settings), services_(services) {
        for (InkPass& pass : plan.passes) {
            if (pass.plan.strokes > 0) {
                passes_.push_back(&pass);
                inks_.push_back(pass.ink);
            }
        }
        if (passes_.empty()) {
            return;
        }
        const ScanTables& first = passes_.front()->tables;
        rect_ = QRect(origin, QSize(first.MaxX + 1, first.MaxY + 1));
        expected_.assign(static_cast<std::size_t>(rect_.width()) * rect_.height(), -1);
        for (std::size_t i = 0; i < passes_.size(); ++i) {
            const DrawMask mask = UndrawnLinePixels(passes_[i]->tables);
            for (std::size_t cell = 0; cell < mask.cells.size(); ++cell) {
                if (mask.cells[cell] != 0) {
                    expected_[cell] = static_cast<std::int8_t>(i);
                }
            }
        }
    }

    std::size_t count() const override { return passes_.size(); }
    ScanTables& tables(std::size_t pass) override { return passes_[pass]->tables; }

    void beforePass(std::size_t pass, RunButton& button) override {
        if (pass == 0) {
            readBefore();
        }
        click(pass, button);
    }

    void firstPress(std::size_t pass, QPoint at, RunButton& button) override {
        if (before_.isNull() || ownWindowCovers(at)) {
            return;
        }
        const QRgb ink = passes_[pass]->ink;
        if (awaitInk(at, ink, true) != Shown::OtherInk) {
            return;
        }
        button.release(at);
        click(pass, button);
        services_.pointer.moveTo(at.x(), at.y());
        button.press(at);
        if (awaitInk(at, ink, false) != Shown::Ink) {
            button.release(at);
            throw InkNotTaken(static_cast<int>(passes_[pass]->swatch) + 1);
        }
    }

    RunCheck check(const std::vector<RunCheck>& passes) override {
        RunCheck result;
        std::optional<RunCheck::Outcome> obstacle;
        bool any = false;
        for (const RunCheck& pass : passes) {
            result.followed = result.followed || pass.followed;
            result.fellBack = result.fellBack || pass.fellBack;
            result.mendPasses = std::max(result.mendPasses, pass.mendPasses);
            result.mendPresses += pass.mendPresses;
            any = any || pass.outcome != RunCheck::Outcome::None;
            if (!obstacle && pass.outcome != RunCheck::Outcome::None &&
                pass.outcome != RunCheck::Outcome::Checked &&
                pass.outcome != RunCheck::Outcome::NothingChanged) {
                obstacle = pass.outcome;
            }
        }
        RunCheck compared;
        if (!any) {
            compared.outcome = RunCheck::Outcome::None;
        } else if (obstacle) {
            compared.outcome = *obstacle;
        } else if (const QImage after = services_.screen->grab(rect_);
                   before_.isNull() || after.isNull()) {
            compared.outcome = RunCheck::Outcome::Unreadable;
        } else {
            compared = CompareColours(before_, after, expected_, inks_, rect_.topLeft());
        }
        compared.followed = result.followed;
        compared.fellBack = result.fellBack;
        compared.mendPasses = result.mendPasses;
        compared.mendPresses = result.mendPresses;
        return compared;
    }

  private:
    enum class Shown { Ink, OtherInk, Nothing };

    bool following() const { return settings_.modes.FollowTarget && services_.screen != nullptr; }

    bool ownWindowCovers(QPoint at) const {
        return services_.ownWindow && services_.ownWindow().contains(at);
    }

    void readBefore() {
        if (services_.screen == nullptr ||
            !QRect(QPoint(0, 0), services_.pointer.primaryScreenSize()).contains(rect_)) {
            return;
        }
        before_ = services_.screen->grab(rect_);
    }

    void yield() {
        if (services_.yield) {
            services_.yield();
        }
    }

    // A move to the swatch of `pass`, a press and a release there, paced as a stroke's end.
    void click(std::size_t pass, RunButton& button) {
        const QPoint at = palette_.swatches[passes_[pass]->swatch].at;
        services_.pointer.moveTo(at.x(), at.y());
        button.press(at);
        if (following()) {
            button.release(at);
            settleSwatch(at);
        } else {
            WaitMs(settings_.WaitTime, services_.yield, services_.clock);
            services_.pointer.moveTo(at.x(), at.y());
            button.release(at);
            WaitMs(settings_.WaitTime, services_.yield, services_.clock);
        }
        yield();
    }

    // Until the swatch's area reads the same twice (the target has drawn what the click
    // changes there, a mark on the chosen swatch say), kSwatchSettleLimit at most.
    void settleSwatch(QPoint at) {
        const QRect area = QRect(at - QPoint(kSwatchAreaSide / 2, kSwatchAreaSide / 2),
                                 QSize(kSwatchAreaSide, kSwatchAreaSide)) &
                           QRect(QPoint(0, 0), services_.pointer.primaryScreenSize());
        QImage last = services_.screen->grab(area);
        const auto deadline = services_.clock.now() + kSwatchSettleLimit;
        while (!last.isNull() && services_.clock.now() < deadline) {
            WaitMs(static_cast<std::int32_t>(kSwatchSettleInterval.count()), services_.yield,
                   services_.clock);
            QImage next = services_.screen->grab(area);
            if (next == last) {
                break;
            }
            last = std::move(next);
        }
    }

    // What the pixel at `at` comes to show after a press: the ink, another colour than it had
    // before the run (for kOtherInkSettle, and only on the first try: on the second, the other
    // ink is there from the first), or nothing new within kProofLimit.
    Shown awaitInk(QPoint at, QRgb ink, bool firstTry) {
        const QRgb was = before_.pixel(at - rect_.topLeft());
        const auto deadline = services_.clock.now() + kProofLimit;
        std::optional<std::chrono::steady_clock::time_point> otherSince;
        for (;;) {
            const std::optional<QRgb> shown = services_.screen->pixel(at);
            if (!shown) {
                return Shown::Nothing;
            }
            if (ShowsInk(*shown, ink)) {
                return Shown::Ink;
            }
            const auto now = services_.clock.now();
            const bool changed = *shown != was;
            if (changed && !otherSince) {
                otherSince = now;
            }
            if (firstTry && otherSince && now - *otherSince >= kOtherInkSettle) {
                return Shown::OtherInk;
            }
            if (now >= deadline) {
                return changed ? Shown::OtherInk : Shown::Nothing;
            }
            yield();
            SleepTowards(services_.clock, now + kProofPoll);
        }
    }

    const Palette& palette_;
    const RunSettings& settings_;
    RunServices& services_;
    std::vector<InkPass*> passes_;
    std::vector<QRgb> inks_;
    QRect rect_;
    std::vector<std::int8_t> expected_;
    QImage before_;
};

}  // namespace

InkNotTaken::InkNotTaken(int swatchNumber)
    : std::runtime_error(inkNotTakenText(swatchNumber).toStdString()),
      swatchNumber_(swatchNumber) {}

std::int32_t RunColourDrawing(ColourPlan plan, QPoint origin, const RunSettings& settings,
                              RunServices& services, RunState& state) {
    if (!settings.colour) {
        throw std::logic_error("a colour run needs its colour settings");
    }
    ColourPasses passes(plan, origin, settings, services);
    return RunDrawingInPasses(passes, origin, settings, services, state);
}

}  // namespace stylorex
