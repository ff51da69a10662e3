#pragma once

#include "os/atomic_file.h"
#include "os/program_folder.h"

#include <QFont>
#include <QString>

#include <cstdint>

namespace stylorex {

// The program-wide setting variables, named after their keys in the settings file.
struct SettingVariables {
    std::int32_t PickUpPattern = 0;
    std::int32_t BlackUpper = 0;
    std::int32_t WhiteUpper = 0;
    std::int32_t ScanPattern = 0;
    std::int16_t WaitTime = 0;
    std::int16_t CanvasHeight = 0;
    std::int16_t CanvasWidth = 0;
    // The drawing run's modes (RunModes), 0 or 1 in the file.
    bool FollowTarget = false;
    bool JoinRuns = false;
};

// The settings that live in controls of the main window: the text of txtInput and the font of
// picSRC. The main window implements it; tests use a fake.
class SettingsControls {
  public:
    virtual ~SettingsControls() = default;
    virtual QString inputText() const = 0;
    virtual void setInputText(const QString& text) = 0;
    // Name, point size, bold, italic, strikethrough, underline of picSRC's font.
    virtual QFont pictureFont() const = 0;
    virtual void setPictureFont(const QFont& font) = 0;
    virtual bool fontTransparent() const = 0;
    virtual void setFontTransparent(bool on) = 0;
    // Lets pending window events run once.
    virtual void processEvents() = 0;
};

// Where the settings file is, for the load and the save alike: the program folder (the
// executable's, ProgramFolder()) + base name + ".ini" when a file can be written there (the
// folder takes a new file, and an existing settings file is not write-protected); otherwise the
// same name in the per-user configuration folder ($XDG_CONFIG_HOME/stylorex, or
// ~/.config/stylorex when that variable is unset or relative). The answer is the same at every
// start while the program folder stays as it is, so the next start reads what the last exit
// saved.
QString SettingsFilePath(const QString& programFolder = ProgramFolder());

// Reads every setting into the variables and the controls. A value out of range in a
// hand-edited file takes the setting's default (a font size out of range keeps the font's).
void LoadSettings(SettingVariables& settings, SettingsControls& controls, const QString& iniPath);

// Writes all seventeen entries through `writer`, making the file's folder when it is missing.
// Returns false when any entry could not be written; the entries written before stay.
bool SaveSettings(const SettingVariables& settings, const SettingsControls& controls,
                  const QString& iniPath, const AtomicFileWriter& writer = SystemFileWriter());

}  // namespace stylorex
