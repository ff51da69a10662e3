#pragma once

#include "settings/persistent_settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace stylorex {

// A settings file that exists but could not be loaded (too large, unreadable, no regular file):
// the window starts with the defaults, says so at once, and leaves the file as it is at exit
// unless the user has changed a setting since.
class UnloadedSettings {
  public:
    // After the load of `path`: nothing when the file loaded or did not exist.
    static std::optional<UnloadedSettings> check(const QString& path,
                                                 const SettingVariables& settings,
                                                 const SettingsControls& controls);

    // "設定ファイルを読み込めません: " with the path, why, and what follows.
    const QString& message() const { return message_; }
    // Whether a setting differs from what the window started with; the window's place, which
    // moves with the window, does not count.
    bool changed(const SettingVariables& settings, const SettingsControls& controls) const;

  private:
    UnloadedSettings(QString message, QStringList startedWith)
        : message_(std::move(message)), startedWith_(std::move(startedWith)) {}

    QString message_;
    QStringList startedWith_;
};

}  // namespace stylorex
