#pragma once

#include "common/setting_limits.h"
#include "os/atomic_file.h"
#include "os/program_folder.h"

#include <QFont>
#include <QString>
#include <QStringList>

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
    // The picture file loaded last, where the open dialog starts; empty before the first load
    // (the entry is then not written).
    QString LastPicture;
    // The main window's place on the desktop at the last exit (its size 0 when none is known).
    std::int32_t WindowLeft = 0;
    std::int32_t WindowTop = 0;
    std::int32_t WindowWidth = 0;
    std::int32_t WindowHeight = 0;
    // Pictures fitted to a size are scaled smoothly (photos) instead of keeping line pixels
    // (canvas/picture_fit.h), in the window and for `stylorex draw --fit`; 0 or 1 in the file.
    bool SmoothScaling = false;
    // Colour (common/setting_limits.h): ColourMode, Dithering, ColourOrder, TimeLimit; the
    // palette's swatches as the palette file writes them ("X,Y #RRGGBB", engine/palette.h), and
    // the target canvas's colour ("#RRGGBB"; empty: white).
    std::int32_t ColourMode = 0;
    std::int32_t Dithering = 0;
    std::int32_t ColourOrder = 0;
    std::int32_t TimeLimit = 0;
    QStringList PaletteSwatches{};
    QString PaletteBackground{};
    // The language the user chose in the window (settings/language.h): 0 follows LANGUAGE and
    // LANG, 1 Japanese, 2 English. Read at the start.
    std::int32_t LanguageChoice = 0;
    // The target's pen in pixels across (RunModes::PenWidth), 1 to kWidestPen.
    std::int32_t PenWidth = kDefaultPenWidth;
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

// Where the save writes the settings file: the program folder (the executable's,
// ProgramFolder()) + base name + ".ini" when a file can be written there (the folder keeps
// files, ProgramFolderKeepsFiles, and an existing settings file is not write-protected); otherwise
// the same name in the per-user configuration folder ($XDG_CONFIG_HOME/stylorex, or
// ~/.config/stylorex when that variable is unset or relative).
QString SettingsFilePath(const QString& programFolder = ProgramFolder());

// Where the load reads the settings file: of the two places above, the one whose file was
// saved last, among those that hold a readable file (in a tie the place a save would write
// to). A file beside the executable is read also while its folder cannot be written, and the
// changes saved per user meanwhile win over it once the folder can be written again, so no
// saved change is lost whichever place the last save could reach.
QString SettingsFileToRead(const QString& programFolder = ProgramFolder());

// Removes the temporary files that saves killed before their end left beside the settings
// file, in both places (RemoveStaleTemporaryFiles).
void RemoveStaleSettingsTemporaries(const QString& programFolder = ProgramFolder());

// Reads every setting of the table (SettingTable) into the variables and the controls, the
// sections PickUpPattern, Other and then every other one (Font, Palette) in this order with a
// yield (processEvents) after each of the first two. A value out of range in a hand-edited file
// takes the setting's default (a font size out of range keeps the font's); texts come back whole
// however long. An empty font Name leaves the picture's font as it is.
void LoadSettings(SettingVariables& settings, SettingsControls& controls, const QString& iniPath);

// Writes every entry of the table (the eighteen, LastPicture once there is one, the window's
// four when its size is known, and the colour settings once there is a palette or one of them is
// not its default) in one transaction (WriteSettings), so a save killed at
// any moment leaves the old file or the new one, never a mix. Makes the file's folder when it is
// missing. Returns false when the file could not be written (nothing of the save reaches it then;
// `why`, when given, says why) or an entry could not stand in the file (the others are written).
bool SaveSettings(const SettingVariables& settings, const SettingsControls& controls,
                  const QString& iniPath, const AtomicFileWriter& writer = SystemFileWriter(),
                  QString* why = nullptr);

}  // namespace stylorex
