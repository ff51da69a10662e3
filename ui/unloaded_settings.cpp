#include "ui/unloaded_settings.h"

#include "settings/ini_profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>

namespace stylorex {

namespace {

// Every setting the save writes but the window's place, as text.
QStringList userSettings(const SettingVariables& s, const SettingsControls& controls) {
    QStringList values;
    for (const qint64 number :
         {qint64(s.PickUpPattern), qint64(s.BlackUpper), qint64(s.WhiteUpper),
          qint64(s.ScanPattern), qint64(s.WaitTime), qint64(s.CanvasHeight), qint64(s.CanvasWidth),
          qint64(s.FollowTarget), qint64(s.JoinRuns), qint64(s.SmoothScaling), qint64(s.ColourMode),
          qint64(s.Dithering), qint64(s.ColourOrder), qint64(s.TimeLimit), qint64(s.LanguageChoice),
          qint64(s.PenWidth)}) {
        values << QString::number(number);
    }
    values << s.PaletteSwatches << s.PaletteBackground << s.LastPicture << controls.inputText()
           << controls.pictureFont().toString() << QString::number(controls.fontTransparent());
    return values;
}

}  // namespace

std::optional<UnloadedSettings> UnloadedSettings::check(const QString& path,
                                                        const SettingVariables& settings,
                                                        const SettingsControls& controls) {
    const std::optional<QString> why = ProfileFileUnreadable(path);
    if (!why) {
        return std::nullopt;
    }
    return UnloadedSettings(
        QCoreApplication::translate(
            "UnloadedSettings",
            "設定ファイルを読み込めません: %1（%2）。既定の設定で起動します。設定を"
            "変えない限り、このファイルには書き込みません。")
            .arg(QDir::toNativeSeparators(path), *why),
        userSettings(settings, controls));
}

bool UnloadedSettings::changed(const SettingVariables& settings,
                               const SettingsControls& controls) const {
    return userSettings(settings, controls) != startedWith_;
}

}  // namespace stylorex
