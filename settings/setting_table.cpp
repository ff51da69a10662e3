#include "settings/setting_table.h"

#include "common/setting_limits.h"
#include "settings/ini_file.h"
#include "settings/ini_profile.h"
#include "settings/language.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringView>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

template <typename T, typename Owner>
constexpr NumberField<T> Number(T Owner::*member) {
    return {member};
}

constexpr std::int32_t kInt16Max = std::numeric_limits<std::int16_t>::max();

// Without a window (its size 0) there is no place to keep, and the file keeps the last one.
bool windowKnown(const StoredSettings& stored) {
    return stored.WindowWidth > 0 && stored.WindowHeight > 0;
}

// Colour reaches the file once there is a palette or a colour setting other than its default;
// back at the defaults without a palette, it leaves the file again.
bool colourInUse(const StoredSettings& s) {
    return s.ColourMode != kDefaultColourMode || s.Dithering != 0 || s.ColourOrder != 0 ||
           s.TimeLimit != 0 || !s.PaletteSwatches.isEmpty() || !s.PaletteBackground.isEmpty();
}

constexpr std::array kTable = {
    // The extraction knows its two modes only.
    Setting{.section = kPickUpPatternSection,
            .key = "Pattern",
            .field = Number(&StoredSettings::PickUpPattern),
            .fallback = kDefaultPickUpPattern,
            .lowest = kDarkPixelsMode,
            .highest = kNonWhitePixelsMode},
    Setting{.section = kPickUpPatternSection,
            .key = "BlackUpper",
            .field = Number(&StoredSettings::BlackUpper),
            .fallback = kDefaultBlackUpper},
    Setting{.section = kPickUpPatternSection,
            .key = "WhiteUpper",
            .field = Number(&StoredSettings::WhiteUpper),
            .fallback = kDefaultWhiteUpper},

    Setting{
        .section = kFontSection, .key = "Italic", .field = FlagField{&StoredSettings::FontItalic}},
    Setting{.section = kFontSection, .key = "Bold", .field = FlagField{&StoredSettings::FontBold}},
    Setting{.section = kFontSection, .key = "Name", .field = TextField{&StoredSettings::FontName}},
    // A size of 0 (what a missing Size reads as) or beyond any sensible text keeps the size the
    // picture's font has.
    Setting{.section = kFontSection,
            .key = "Size",
            .field = RealField{&StoredSettings::FontSize},
            .lowest = 1,
            .highest = 1000},
    Setting{.section = kFontSection,
            .key = "Strikethru",
            .field = FlagField{&StoredSettings::FontStrikethru}},
    Setting{.section = kFontSection,
            .key = "Underline",
            .field = FlagField{&StoredSettings::FontUnderline}},
    Setting{.section = kFontSection,
            .key = "Transparent",
            .field = FlagField{&StoredSettings::FontTransparent}},

    Setting{.section = kOtherSection,
            .key = "LastText",
            .field = TextField{&StoredSettings::LastText},
            .fallbackText = QT_TRANSLATE_NOOP("SettingTable", "文字")},
    Setting{.section = kOtherSection,
            .key = "ScanPattern",
            .field = Number(&StoredSettings::ScanPattern),
            .fallback = 1},
    // A wait below 0 and a canvas side of 0 or less mean nothing; a 16-bit value that does not
    // fit is not cut to some other number.
    Setting{.section = kOtherSection,
            .key = "WaitTime",
            .field = Number(&StoredSettings::WaitTime),
            .fallback = kDefaultWaitMs,
            .lowest = 0},
    Setting{.section = kOtherSection,
            .key = "CanvasHeight",
            .field = Number(&StoredSettings::CanvasHeight),
            .fallback = kDefaultCanvasSide,
            .lowest = 1,
            .highest = kLargestStoredCanvasSide},
    Setting{.section = kOtherSection,
            .key = "CanvasWidth",
            .field = Number(&StoredSettings::CanvasWidth),
            .fallback = kDefaultCanvasSide,
            .lowest = 1,
            .highest = kLargestStoredCanvasSide},
    // The picture file loaded last, where the open dialog starts.
    Setting{.section = kOtherSection,
            .key = "LastPicture",
            .field = TextField{&StoredSettings::LastPicture},
            .savedWhen = [](const StoredSettings& s) { return !s.LastPicture.isEmpty(); }},
    Setting{.section = kOtherSection,
            .key = "FollowTarget",
            .field = Number(&StoredSettings::FollowTarget),
            .fallback = 1},
    Setting{
        .section = kOtherSection, .key = "JoinRuns", .field = Number(&StoredSettings::JoinRuns)},
    // Written once it is other than one pixel, so that files of a one-pixel pen stay as they were.
    Setting{.section = kOtherSection,
            .key = "PenWidth",
            .field = Number(&StoredSettings::PenWidth),
            .fallback = kDefaultPenWidth,
            .lowest = 1,
            .highest = kWidestPen,
            .savedWhen = [](const StoredSettings& s) { return s.PenWidth != kDefaultPenWidth; },
            .removedUnlessSaved = true},
    Setting{.section = kOtherSection,
            .key = "SmoothScaling",
            .field = Number(&StoredSettings::SmoothScaling)},
    // A window larger than any screen or placed beyond any coordinate a screen has is of no use.
    Setting{.section = kOtherSection,
            .key = "WindowLeft",
            .field = Number(&StoredSettings::WindowLeft),
            .lowest = -kInt16Max,
            .highest = kInt16Max,
            .savedWhen = windowKnown},
    Setting{.section = kOtherSection,
            .key = "WindowTop",
            .field = Number(&StoredSettings::WindowTop),
            .lowest = -kInt16Max,
            .highest = kInt16Max,
            .savedWhen = windowKnown},
    Setting{.section = kOtherSection,
            .key = "WindowWidth",
            .field = Number(&StoredSettings::WindowWidth),
            .lowest = 0,
            .highest = kInt16Max,
            .savedWhen = windowKnown},
    Setting{.section = kOtherSection,
            .key = "WindowHeight",
            .field = Number(&StoredSettings::WindowHeight),
            .lowest = 0,
            .highest = kInt16Max,
            .savedWhen = windowKnown},
    Setting{.section = kOtherSection,
            .key = "ColourMode",
            .field = Number(&StoredSettings::ColourMode),
            .fallback = kDefaultColourMode,
            .lowest = 0,
            .highest = 1,
            .savedWhen = colourInUse,
            .removedUnlessSaved = true},
    Setting{.section = kOtherSection,
            .key = "Dithering",
            .field = Number(&StoredSettings::Dithering),
            .lowest = 0,
            .highest = kHighestDithering,
            .savedWhen = colourInUse,
            .removedUnlessSaved = true},
    Setting{.section = kOtherSection,
            .key = "ColourOrder",
            .field = Number(&StoredSettings::ColourOrder),
            .lowest = 0,
            .highest = kHighestColourOrder,
            .savedWhen = colourInUse,
            .removedUnlessSaved = true},
    Setting{.section = kOtherSection,
            .key = "TimeLimit",
            .field = Number(&StoredSettings::TimeLimit),
            .lowest = 0,
            .highest = kLongestTimeLimitSeconds,
            .savedWhen = colourInUse,
            .removedUnlessSaved = true},
    // Saved once chosen; without it the language follows the environment.
    Setting{
        .section = kOtherSection,
        .key = "Language",
        .field = Number(&StoredSettings::LanguageChoice),
        .lowest = kLanguageFromEnvironment,
        .highest = kLanguageEnglish,
        .savedWhen =
            [](const StoredSettings& s) { return s.LanguageChoice != kLanguageFromEnvironment; }},
    Setting{.section = kPaletteSection,
            .key = "Swatch",
            .field = ListField{&StoredSettings::PaletteSwatches, kMostSwatches},
            .savedWhen = colourInUse,
            .removedUnlessSaved = true},
    Setting{.section = kPaletteSection,
            .key = "Background",
            .field = TextField{&StoredSettings::PaletteBackground},
            .savedWhen = colourInUse,
            .removedUnlessSaved = true},
};

// The key of item `number` (from 1) of a list.
QByteArray itemKey(const Setting& setting, int number) {
    return QByteArray(setting.key) + QByteArray::number(number);
}

// A text without line breaks is stored as it is, so a one-line text, and any value written
// before this rule, read back unchanged (a Windows path such as C:\temp included). A text with a
// line break, or one that itself starts with the marker, is stored as the marker followed by the
// text with "\" written as "\\", LF as "\n" and CR as "\r"; on reading, any other "\x" after the
// marker stays as it is.
const QString kEscapeMarker = QStringLiteral("\\:");

QString encodeText(const QString& text) {
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
        !text.startsWith(kEscapeMarker)) {
        return text;
    }
    QString stored = kEscapeMarker;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\')) {
            stored += QStringLiteral("\\\\");
        } else if (c == QLatin1Char('\n')) {
            stored += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\r')) {
            stored += QStringLiteral("\\r");
        } else {
            stored += c;
        }
    }
    return stored;
}

QString decodeText(const QString& stored) {
    if (!stored.startsWith(kEscapeMarker)) {
        return stored;
    }
    QString text;
    for (qsizetype i = kEscapeMarker.size(); i < stored.size(); ++i) {
        const QChar c = stored[i];
        const QChar next = i + 1 < stored.size() ? stored[i + 1] : QChar();
        if (c == QLatin1Char('\\') && next == QLatin1Char('\\')) {
            text += QLatin1Char('\\');
            ++i;
        } else if (c == QLatin1Char('\\') && next == QLatin1Char('n')) {
            text += QLatin1Char('\n');
            ++i;
        } else if (c == QLatin1Char('\\') && next == QLatin1Char('r')) {
            text += QLatin1Char('\r');
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

// The number a stored value begins with: optional blanks and sign, decimal digits, and a
// fraction and an exponent when they follow, so that "1e308" is the huge number it says and not
// 1. Its whole part; nothing when the number is beyond what a 64-bit integer holds. A value
// that begins with no number reads as 0.
std::optional<std::int64_t> leadingNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t end = 0;
    const auto skipDigits = [&] {
        const std::size_t start = end;
        while (end < text.size() && isDigit(text[end])) {
            ++end;
        }
        return end > start;
    };
    bool digits = skipDigits();
    if (end < text.size() && text[end] == '.') {
        ++end;
        digits = skipDigits() || digits;
    }
    if (!digits) {
        return 0;
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '-' || text[exponent] == '+')) {
            ++exponent;
        }
        if (exponent < text.size() && isDigit(text[exponent])) {
            end = exponent;
            skipDigits();
        }
    }
    double value = 0;
    const auto [rest, error] = std::from_chars(text.data(), text.data() + end, value);
    // 2^63: the first whole number a 64-bit integer cannot hold.
    constexpr double kBeyond = 9223372036854775808.0;
    if (error != std::errc() || rest != text.data() + end || !(std::abs(value) < kBeyond)) {
        return std::nullopt;
    }
    const auto whole = static_cast<std::int64_t>(value);
    return negative ? -whole : whole;
}

// The stored number, or the fallback when the key is missing, or the number lies outside the
// setting's range or T's, or is too large to read at all (never a wrapped part of it).
template <typename T>
T readNumber(const Setting& setting, clsIniFile& file) {
    const std::optional<QByteArray> stored =
        file.GetStoredValue({}, {}, QString::fromLatin1(setting.key));
    if (!stored) {
        return static_cast<T>(setting.fallback);
    }
    const std::optional<std::int64_t> value =
        leadingNumber(std::string_view(stored->constData(), std::size_t(stored->size())));
    const auto lowest = std::max<std::int64_t>(setting.lowest, std::numeric_limits<T>::lowest());
    const auto highest = std::min<std::int64_t>(setting.highest, std::numeric_limits<T>::max());
    return static_cast<T>(!value || *value < lowest || *value > highest ? setting.fallback
                                                                        : *value);
}

// The whole stored text of `key` (the setting's own unless given), however long.
QString readText(const Setting& setting, clsIniFile& file, const char* key = nullptr) {
    const std::optional<QByteArray> stored =
        file.GetStoredValue({}, {}, QString::fromLatin1(key != nullptr ? key : setting.key));
    if (!stored) {
        return setting.fallbackText != nullptr
                   ? QCoreApplication::translate("SettingTable", setting.fallbackText)
                   : QString();
    }
    return decodeText(FromAnsiCodePage(*stored));
}

template <typename... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};

void readSetting(const Setting& setting, clsIniFile& file, StoredSettings& stored) {
    std::visit(Overloaded{
                   [&]<typename T>(const NumberField<T>& field) {
                       stored.*field.member = readNumber<T>(setting, file);
                   },
                   [&](const FlagField& field) {
                       stored.*field.member = readNumber<std::int32_t>(setting, file) != 0;
                   },
                   [&](const RealField& field) {
                       stored.*field.member = readNumber<std::int32_t>(setting, file);
                   },
                   [&](const TextField& field) { stored.*field.member = readText(setting, file); },
                   [&](const ListField& field) {
                       QStringList items;
                       for (int number = 1; number <= field.most; ++number) {
                           const QString item =
                               readText(setting, file, itemKey(setting, number).constData());
                           if (!item.isEmpty()) {
                               items << item;
                           }
                       }
                       stored.*field.member = items;
                   },
               },
               setting.field);
}

// The value as the file takes it (a list's items: storedEntries).
clsIniFile::IniValue storedValue(const Setting& setting, const StoredSettings& stored) {
    using IniValue = clsIniFile::IniValue;
    return std::visit(
        Overloaded{
            [&]<typename T>(const NumberField<T>& field) {
                return IniValue(static_cast<std::int32_t>(stored.*field.member));
            },
            [&](const FlagField& field) {
                return IniValue(std::int32_t{stored.*field.member ? -1 : 0});
            },
            // A single-precision real, as the file has always held it.
            [&](const RealField& field) {
                return IniValue(static_cast<float>(stored.*field.member));
            },
            [&](const TextField& field) { return IniValue(encodeText(stored.*field.member)); },
            [&](const ListField&) { return IniValue(QString()); },
        },
        setting.field);
}

// The entries a setting stands for in the file, each a key and its value: one, or for a list one
// per item and, for the numbers up to its most that no item uses, none (the key is to go).
std::vector<std::pair<QByteArray, std::optional<clsIniFile::IniValue>>> storedEntries(
    const Setting& setting, const StoredSettings& stored) {
    if (const auto* list = std::get_if<ListField>(&setting.field)) {
        const QStringList& items = stored.*list->member;
        std::vector<std::pair<QByteArray, std::optional<clsIniFile::IniValue>>> entries;
        for (int number = 1; number <= list->most; ++number) {
            std::optional<clsIniFile::IniValue> value;
            if (number <= items.size()) {
                value = encodeText(items[number - 1]);
            }
            entries.emplace_back(itemKey(setting, number), value);
        }
        return entries;
    }
    return {{QByteArray(setting.key), storedValue(setting, stored)}};
}

}  // namespace

std::span<const Setting> SettingTable() {
    return kTable;
}

void ReadSettings(clsIniFile& file, StoredSettings& stored, std::string_view section) {
    for (const Setting& setting : kTable) {
        if (section.empty() || section == setting.section) {
            if (file.Section() != QLatin1String(setting.section)) {
                file.Section(QString::fromLatin1(setting.section));
            }
            readSetting(setting, file, stored);
        }
    }
}

void ReadSettings(const QString& path, StoredSettings& stored, std::string_view section) {
    clsIniFile file;
    file.PathIniFile(path);
    ReadSettings(file, stored, section);
}

bool WriteSettings(const StoredSettings& stored, const QString& path,
                   const AtomicFileWriter& writer, QString* why) {
    clsIniFile file;
    file.PathIniFile(path);
    file.HoldWrites();
    bool allTaken = true;
    for (const Setting& setting : kTable) {
        const bool saved = setting.savedWhen == nullptr || setting.savedWhen(stored);
        if (!saved && !setting.removedUnlessSaved) {
            continue;
        }
        if (file.Section() != QLatin1String(setting.section)) {
            file.Section(QString::fromLatin1(setting.section));
        }
        for (const auto& [key, value] : storedEntries(setting, stored)) {
            const QString keyName = QString::fromLatin1(key);
            allTaken &= saved && value ? file.SetValue(*value, {}, {}, keyName)
                                       : file.DeleteKey({}, {}, keyName);
        }
    }
    return file.Commit(writer, why) && allTaken;
}

}  // namespace stylorex
