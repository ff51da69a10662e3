#pragma once

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

// Where the settings file is: ProgramFolder + base name + ".ini"; when that folder cannot be
// written, the per-user configuration folder ($XDG_CONFIG_HOME/stylorex or
// ~/.config/stylorex), which the next start then reads.
QString SettingsFilePath();

void LoadSettings(SettingVariables& settings, SettingsControls& controls, const QString& iniPath);

// Returns false when the file could not be written.
bool SaveSettings(const SettingVariables& settings, const SettingsControls& controls,
                  const QString& iniPath);

}  // namespace stylorex
