#pragma once

#include "os/atomic_file.h"
#include "settings/ini_file.h"
#include "settings/persistent_settings.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <variant>

namespace stylorex {

// Every value the settings file holds: the setting variables, and what the main window keeps in
// its controls (the text of txtInput, the font of picSRC).
struct StoredSettings : SettingVariables {
    QString LastText;
    QString FontName;
    // Points; written with its fraction, read back as its whole part. 0: the font keeps its size.
    double FontSize = 0;
    bool FontItalic = false;
    bool FontBold = false;
    bool FontStrikethru = false;
    bool FontUnderline = false;
    bool FontTransparent = false;
};

// How a setting stands in the file, and where it lives in StoredSettings.
//
// A number in decimal, read as the whole part of the number the value begins with (0 when it
// begins with none); one too large for 64 bits reads as out of range.
// A bool number is 1 or 0.
template <typename T>
struct NumberField {
    T StoredSettings::*member;
    friend bool operator==(const NumberField&, const NumberField&) = default;
};
// -1 when set, 0 when clear; any value other than 0 reads as set.
struct FlagField {
    bool StoredSettings::*member;
    friend bool operator==(const FlagField&, const FlagField&) = default;
};
// Written with up to seven significant digits (9.75, 12), read back as its whole part.
struct RealField {
    double StoredSettings::*member;
    friend bool operator==(const RealField&, const RealField&) = default;
};
// Text, read back whole however long. A text with a line break (or one that starts with the
// marker "\:") is stored escaped on one line, so no line break ever reaches the file.
struct TextField {
    QString StoredSettings::*member;
    friend bool operator==(const TextField&, const TextField&) = default;
};
// A list of texts, one key per item: the setting's key followed by the item's number from 1
// ("Swatch1", "Swatch2", ...), at most `most` of them. A missing or empty key is no item, so a
// list read back closes the gaps a hand edit left; a save removes the numbers it does not use.
struct ListField {
    QStringList StoredSettings::*member;
    int most;
    friend bool operator==(const ListField&, const ListField&) = default;
};
using SettingField = std::variant<NumberField<std::int32_t>, NumberField<std::int16_t>,
                                  NumberField<bool>, FlagField, RealField, TextField, ListField>;

// One entry of the settings file.
struct Setting {
    const char* section;
    const char* key;
    SettingField field;
    // Numbers: what a missing key reads as, and the values the program can use; a value outside
    // them (or outside what the field's type holds) reads as `fallback` too.
    std::int32_t fallback = 0;
    std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    // Texts: what a missing key reads as (in the language spoken; null: empty).
    const char* fallbackText = nullptr;
    // The save writes the entry only when this holds; null: on every save.
    bool (*savedWhen)(const StoredSettings&) = nullptr;
    // When savedWhen does not hold: the save removes the entry from the file (true) or leaves
    // what the file holds (false).
    bool removedUnlessSaved = false;
};

inline constexpr char kPickUpPatternSection[] = "PickUpPattern";
inline constexpr char kFontSection[] = "Font";
inline constexpr char kOtherSection[] = "Other";
inline constexpr char kPaletteSection[] = "Palette";

// Every setting, once, in the order a save writes them (and a new file lists them).
std::span<const Setting> SettingTable();

// Reads the settings of `section` (all of them when it is empty) from the file at `file`'s
// PathIniFile into `stored`; the other members stay as they are. `file`'s Section changes.
void ReadSettings(clsIniFile& file, StoredSettings& stored, std::string_view section = {});
// The same through an object of its own, from the file at `path`.
void ReadSettings(const QString& path, StoredSettings& stored, std::string_view section = {});

// Writes every entry of the table that is due (savedWhen), and removes those due to go, through
// one clsIniFile that holds its writes: the entries are set on the file's bytes in memory, every
// line they do not change stays byte for byte, and the result replaces the file at once through
// `writer`. Returns false when the file could not be written (nothing reaches it then; `why`,
// when given, says why) or an entry could not stand in the file (the others are written).
bool WriteSettings(const StoredSettings& stored, const QString& path,
                   const AtomicFileWriter& writer = SystemFileWriter(), QString* why = nullptr);

}  // namespace stylorex
