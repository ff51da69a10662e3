#include "run/run_request.h"

#include "engine/colour_run.h"
#include "run/palette_settings.h"

#include <QCoreApplication>

#include <stdexcept>
#include <utility>

namespace stylorex {

namespace {

// The settings file read into nothing but the variables: no text tool, no canvas font.
class NoSettingsControls : public SettingsControls {
  public:
    QString inputText() const override { return {}; }
    void setInputText(const QString&) override {}
    QFont pictureFont() const override { return {}; }
    void setPictureFont(const QFont&) override {}
    bool fontTransparent() const override { return false; }
    void setFontTransparent(bool) override {}
    void processEvents() override {}
};

}  // namespace

RunSettings RunSettingsOf(const SettingVariables& settings, const RunOverrides& overrides) {
    RunSettings run;
    run.extraction.PickUpPattern = overrides.pickUpPattern.value_or(settings.PickUpPattern);
    run.extraction.BlackUpper = overrides.blackUpper.value_or(settings.BlackUpper);
    run.extraction.WhiteUpper = overrides.whiteUpper.value_or(settings.WhiteUpper);
    run.WaitTime = overrides.waitMs.value_or(settings.WaitTime);
    run.modes.FollowTarget = overrides.followTarget.value_or(settings.FollowTarget);
    run.modes.JoinRuns = overrides.joinRuns.value_or(settings.JoinRuns);
    run.modes.PenWidth = overrides.penWidth.value_or(settings.PenWidth);
    run.check = overrides.check.value_or(CheckChoice::Auto);
    if (overrides.colour.value_or(settings.ColourMode == 1)) {
        ColourSettings colour = SavedColourSettings(settings);
        colour.palette.swatches = overrides.swatches.value_or(colour.palette.swatches);
        colour.palette.background = overrides.background.value_or(colour.palette.background);
        colour.dithering = overrides.dithering.value_or(colour.dithering);
        colour.order = overrides.inkOrder.value_or(colour.order);
        if (overrides.within) {
            colour.within = *overrides.within;
        }
        if (colour.within && colour.within->count() <= 0) {
            colour.within.reset();
        }
        run.colour = colour;
    }
    return run;
}

SettingVariables SavedSettingVariables(const QString& path) {
    SettingVariables saved;
    NoSettingsControls controls;
    LoadSettings(saved, controls, path);
    return saved;
}

bool OriginBeyondScreen(QPoint origin, QSize screen) {
    return origin.x() > screen.width() || origin.y() > screen.height();
}

QString InvalidOriginText() {
    return QCoreApplication::translate("RunRequest", "開始座標が不正です");
}

OriginCheck CheckOrigin(const QString& textX, const QString& textY, QSize primaryScreen) {
    OriginCheck check;
    if (textX == QStringLiteral("**") || textX.isEmpty() || textY.isEmpty()) {
        check.message = QCoreApplication::translate("RunRequest", "開始座標を設定してください");
        return check;
    }
    bool okX = false;
    bool okY = false;
    const QPoint origin(textX.toInt(&okX, 10), textY.toInt(&okY, 10));
    if (!okX || !okY || OriginBeyondScreen(origin, primaryScreen)) {
        check.message = InvalidOriginText();
        return check;
    }
    check.ok = true;
    check.origin = origin;
    return check;
}

QString RefusalText(const RunRefusal& refusal) {
    switch (refusal.reason) {
        case RunRefusal::Reason::NoDisplay:
            return refusal.detail;
        case RunRefusal::Reason::NothingToDraw:
            return QCoreApplication::translate("RunRequest", "描画する線のピクセルがありません");
        case RunRefusal::Reason::LeavesScreen:
            return QCoreApplication::translate("RunRequest", "描画範囲が画面からはみ出します");
        case RunRefusal::Reason::AnotherRun:
            return QCoreApplication::translate("RunRequest", "別の描画が実行中です");
        case RunRefusal::Reason::NoLock:
            return QCoreApplication::translate("RunRequest", "描画の排他ロックを作れません: ") +
                   refusal.detail;
        case RunRefusal::Reason::SwatchOffScreen:
            return QCoreApplication::translate("RunRequest", "スウォッチ %1 が画面の外にあります")
                .arg(refusal.detail);
        case RunRefusal::Reason::NoSwatches:
            return QCoreApplication::translate(
                "RunRequest",
                "パレットにスウォッチがありません（ウィンドウでは設定メニューの「パレット」、"
                "stylorex draw では --palette で指定します）");
    }
    return {};
}

RunRequest::RunRequest(const QImage& picture, QPoint origin, const RunSettings& settings)
    : settings_(settings), origin_(origin) {
    if (settings_.colour) {
        colour_ = PlanColours(picture, *settings_.colour, settings_.modes, settings_.WaitTime);
        plan_ = colour_->total();
        bounds_ = colour_->bounds().translated(origin_);
        return;
    }
    ScanForRun(picture, settings_.extraction, settings_.modes, tables_);
    plan_ = PlanRun(tables_, settings_.modes);
    bounds_ = UndrawnLinePixelBounds(tables_).translated(origin_);
}

RunRequest::RunRequest(const RunState& state, const RunSettings& settings)
    : settings_(settings), origin_(state.origin()), resumed_(&state) {
    // What a stopped run left is drawn in one ink: a run in colour cannot be resumed.
    settings_.colour.reset();
    plan_ = PlanRun(state.tables(), settings_.modes);
    bounds_ = UndrawnLinePixelBounds(state.tables()).translated(origin_);
}

const ScanTables& RunRequest::tables() const {
    return resumed_ != nullptr ? resumed_->tables() : tables_;
}

std::vector<const ScanTables*> RunRequest::passTables() const {
    if (!colour_) {
        return {&tables()};
    }
    std::vector<const ScanTables*> passes;
    for (const InkPass& pass : colour_->passes) {
        passes.push_back(&pass.tables);
    }
    return passes;
}

bool RunRequest::leavesScreen(QSize screen) const {
    return !bounds_.isEmpty() && !QRect(QPoint(0, 0), screen).contains(bounds_);
}

std::variant<ReadyRun, RunRefusal> RunRequest::ready(const RunDevices& devices) && {
    using Reason = RunRefusal::Reason;
    if (devices.pointer == nullptr) {
        return RunRefusal{Reason::NoDisplay, devices.noPointer};
    }
    if (settings_.colour && settings_.colour->palette.swatches.empty()) {
        return RunRefusal{Reason::NoSwatches, {}};
    }
    if (plan_.strokes == 0) {
        return RunRefusal{Reason::NothingToDraw, {}};
    }
    if (leavesScreen(devices.pointer->primaryScreenSize())) {
        return RunRefusal{Reason::LeavesScreen, {}};
    }
    // A click off the screen would land on its edge, on whatever lies there.
    if (settings_.colour) {
        const QRect screen(QPoint(0, 0), devices.pointer->primaryScreenSize());
        const std::vector<Swatch>& swatches = settings_.colour->palette.swatches;
        for (std::size_t i = 0; i < swatches.size(); ++i) {
            if (!screen.contains(swatches[i].at)) {
                return RunRefusal{Reason::SwatchOffScreen, QString::number(i + 1)};
            }
        }
    }
    RunLock lock(devices.pointer->displayName());
    if (lock.state() == RunLock::State::HeldByOther) {
        return RunRefusal{Reason::AnotherRun, {}};
    }
    if (lock.state() == RunLock::State::Unavailable) {
        return RunRefusal{Reason::NoLock, lock.error()};
    }
    ReadyRun run(std::move(lock), devices);
    run.settings_ = settings_;
    run.origin_ = origin_;
    run.plan_ = plan_;
    run.resumed_ = resumed_;
    run.tables_ = std::move(tables_);
    run.colour_ = std::move(colour_);
    return run;
}

ReadyRun::ReadyRun(RunLock lock, const RunDevices& devices)
    : lock_(std::move(lock)), pointer_(devices.pointer), screen_(devices.screen) {}

RunServices ReadyRun::services(MonotonicClock& clock) const {
    RunServices services{*pointer_, [] { QCoreApplication::processEvents(); }, clock};
    services.screen = screen_;
    return services;
}

std::int32_t ReadyRun::draw(RunServices& services, RunState& state) {
    if (drawn_) {
        throw std::logic_error("a ready run draws once");
    }
    if (&services.pointer != pointer_ || (resumed_ != nullptr && resumed_ != &state)) {
        throw std::logic_error("a ready run draws with the pointer and the state it was made for");
    }
    drawn_ = true;
    if (resumed_ != nullptr) {
        return ResumeDrawing(settings_, services, state);
    }
    if (colour_) {
        return RunColourDrawing(std::move(*colour_), origin_, settings_, services, state);
    }
    return RunDrawing(std::move(tables_), origin_, settings_, services, state);
}

}  // namespace stylorex
