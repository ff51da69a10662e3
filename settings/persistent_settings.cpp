#include "settings/persistent_settings.h"

#include "os/program_folder.h"
#include "settings/ini_file.h"
#include "settings/ini_profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace stylorex {

namespace {

const QString kSectionPickUpPattern = QStringLiteral("PickUpPattern");
const QString kSectionFont = QStringLiteral("Font");
const QString kSectionOther = QStringLiteral("Other");

const QString kKeyName = QStringLiteral("Name");
const QString kKeyLastText = QStringLiteral("LastText");
const QString kDefaultLastText = QStringLiteral("文字");

// A number setting: its key, its default when the key is missing, and the range the program
// can use. This table is the one place where a value out of range in a hand-edited file is
// caught.
struct NumberSetting {
    const char* key;
    std::int32_t missing;
    std::int32_t lowest;
    std::int32_t highest;
};

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt16Max = std::numeric_limits<std::int16_t>::max();

// The extraction knows the modes 1 and 2 only.
constexpr NumberSetting kPattern{"Pattern", 1, 1, 2};
constexpr NumberSetting kBlackUpper{"BlackUpper", 80, kInt32Min, kInt32Max};
constexpr NumberSetting kWhiteUpper{"WhiteUpper", 240, kInt32Min, kInt32Max};
constexpr NumberSetting kScanPattern{"ScanPattern", 1, kInt32Min, kInt32Max};
// 16-bit settings: a value that does not fit is not cut to some other number; a wait below 0
// and a canvas side of 0 or less mean nothing.
constexpr NumberSetting kWaitTime{"WaitTime", 5, 0, kInt16Max};
constexpr NumberSetting kCanvasHeight{"CanvasHeight", 200, 1, kInt16Max};
constexpr NumberSetting kCanvasWidth{"CanvasWidth", 200, 1, kInt16Max};
constexpr NumberSetting kFollowTarget{"FollowTarget", 0, 0, 1};
constexpr NumberSetting kJoinRuns{"JoinRuns", 0, 0, 1};
// A size of 0 (also what a missing Size reads as) or beyond any sensible text keeps the size
// the picture's font has.
constexpr NumberSetting kSize{"Size", 0, 1, 1000};
// Flags: any value other than 0 sets them.
constexpr NumberSetting kItalic{"Italic", 0, kInt32Min, kInt32Max};
constexpr NumberSetting kBold{"Bold", 0, kInt32Min, kInt32Max};
constexpr NumberSetting kStrikethru{"Strikethru", 0, kInt32Min, kInt32Max};
constexpr NumberSetting kUnderline{"Underline", 0, kInt32Min, kInt32Max};
constexpr NumberSetting kTransparent{"Transparent", 0, kInt32Min, kInt32Max};

// The stored number, or nothing when it lies outside the setting's range.
std::optional<std::int32_t> readNumber(clsIniFile& ini, const NumberSetting& setting) {
    const std::int32_t value =
        ini.GetIntValue(QString(), QString(), QLatin1String(setting.key), setting.missing);
    if (value < setting.lowest || value > setting.highest) {
        return std::nullopt;
    }
    return value;
}

// Out of range gives the default.
std::int32_t readSetting(clsIniFile& ini, const NumberSetting& setting) {
    return readNumber(ini, setting).value_or(setting.missing);
}

bool readFlag(clsIniFile& ini, const NumberSetting& setting) {
    return readSetting(ini, setting) != 0;
}

bool writeNumber(clsIniFile& ini, const NumberSetting& setting, const IniValue& value) {
    return ini.SetValue(value, QString(), QString(), QLatin1String(setting.key));
}

bool writeFlag(clsIniFile& ini, const NumberSetting& setting, bool on) {
    return writeNumber(ini, setting, std::int32_t{on ? -1 : 0});
}

// LastText holds the text tool's text, which may have several lines, in one entry line.
// A text without line breaks is stored as it is, so a one-line text, and any value written
// before this rule, read back unchanged (a Windows path such as C:\temp included). A text with
// a line break, or one that itself starts with the marker "\:", is stored as "\:" followed by
// the text with "\" written as "\\", LF as "\n" and CR as "\r"; on reading, any other "\x"
// after the marker stays as it is.
const QString kEscapeMarker = QStringLiteral("\\:");

QString encodeLastText(const QString& text) {
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

QString decodeLastText(const QString& stored) {
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

// Writes a text entry. The store reports false also for a text that reads as a number beyond
// 32 bits (its entry is written all the same), so a failure is confirmed by reading back what
// the file holds.
bool writeText(clsIniFile& ini, const QString& key, const QString& text) {
    if (ini.SetValue(text, QString(), QString(), key)) {
        return true;
    }
    const QString expected = FromAnsiCodePage(ToAnsiCodePage(text).left(254));
    const QString missing = expected.isEmpty() ? QStringLiteral("-") : QString();
    return ini.GetStrValue(QString(), QString(), key, missing) == expected;
}

// Whether the settings file can be written at path: a file can be made in its folder, and an
// existing file may be written.
bool canWriteSettingsAt(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isWritable())) {
        return false;
    }
    return FolderAcceptsFiles(info.absolutePath());
}

QString userConfigFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = JoinPath(QDir::homePath(), QStringLiteral(".config"));
    }
    return JoinPath(base, QStringLiteral("stylorex"));
}

}  // namespace

QString SettingsFilePath(const QString& programFolder) {
    const QString name = ProgramBaseName() + QStringLiteral(".ini");
    const QString beside = JoinPath(programFolder, name);
    if (canWriteSettingsAt(beside)) {
        return beside;
    }
    return JoinPath(userConfigFolder(), name);
}

void LoadSettings(SettingVariables& settings, SettingsControls& controls, const QString& iniPath) {
    clsIniFile ini;
    ini.PathIniFile(iniPath);

    ini.Section(kSectionPickUpPattern);
    settings.PickUpPattern = readSetting(ini, kPattern);
    settings.BlackUpper = readSetting(ini, kBlackUpper);
    settings.WhiteUpper = readSetting(ini, kWhiteUpper);
    controls.processEvents();

    ini.Section(kSectionOther);
    controls.setInputText(
        decodeLastText(ini.GetStrValue(QString(), QString(), kKeyLastText, kDefaultLastText)));
    settings.ScanPattern = readSetting(ini, kScanPattern);
    // In range of 16 bits by the table above.
    settings.WaitTime = static_cast<std::int16_t>(readSetting(ini, kWaitTime));
    settings.CanvasHeight = static_cast<std::int16_t>(readSetting(ini, kCanvasHeight));
    settings.CanvasWidth = static_cast<std::int16_t>(readSetting(ini, kCanvasWidth));
    settings.FollowTarget = readFlag(ini, kFollowTarget);
    settings.JoinRuns = readFlag(ini, kJoinRuns);
    controls.processEvents();

    ini.Section(kSectionFont);
    const QString name = ini.GetStrValue(QString(), QString(), kKeyName, QString());
    if (name.isEmpty()) {
        return;  // the picture keeps the font it has
    }
    QFont font = controls.pictureFont();
    font.setFamily(name);
    font.setBold(readFlag(ini, kBold));
    font.setItalic(readFlag(ini, kItalic));
    if (const auto size = readNumber(ini, kSize)) {
        font.setPointSize(*size);
    }
    font.setStrikeOut(readFlag(ini, kStrikethru));
    font.setUnderline(readFlag(ini, kUnderline));
    controls.setPictureFont(font);
    controls.setFontTransparent(readFlag(ini, kTransparent));
}

bool SaveSettings(const SettingVariables& settings, const SettingsControls& controls,
                  const QString& iniPath, const AtomicFileWriter& writer) {
    // The per-user folder may not exist yet; the program folder always does.
    QDir().mkpath(QFileInfo(iniPath).absolutePath());

    clsIniFile ini(writer);
    ini.PathIniFile(iniPath);
    bool written = true;

    ini.Section(kSectionPickUpPattern);
    written &= writeNumber(ini, kPattern, settings.PickUpPattern);
    written &= writeNumber(ini, kBlackUpper, settings.BlackUpper);
    written &= writeNumber(ini, kWhiteUpper, settings.WhiteUpper);

    const QFont font = controls.pictureFont();
    ini.Section(kSectionFont);
    written &= writeFlag(ini, kItalic, font.italic());
    written &= writeFlag(ini, kBold, font.bold());
    written &= writeText(ini, kKeyName, font.family());
    written &= writeNumber(ini, kSize, static_cast<float>(font.pointSizeF()));
    written &= writeFlag(ini, kStrikethru, font.strikeOut());
    written &= writeFlag(ini, kUnderline, font.underline());
    written &= writeFlag(ini, kTransparent, controls.fontTransparent());

    ini.Section(kSectionOther);
    written &= writeText(ini, kKeyLastText, encodeLastText(controls.inputText()));
    written &= writeNumber(ini, kScanPattern, settings.ScanPattern);
    written &= writeNumber(ini, kWaitTime, settings.WaitTime);
    written &= writeNumber(ini, kCanvasHeight, settings.CanvasHeight);
    written &= writeNumber(ini, kCanvasWidth, settings.CanvasWidth);
    written &= writeNumber(ini, kFollowTarget, std::int32_t{settings.FollowTarget});
    written &= writeNumber(ini, kJoinRuns, std::int32_t{settings.JoinRuns});
    return written;
}

}  // namespace stylorex
