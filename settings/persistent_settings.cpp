#include "settings/persistent_settings.h"

#include "os/program_folder.h"
#include "settings/ini_file.h"
#include "settings/ini_profile.h"
#include "settings/setting_table.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <string_view>
#include <vector>

namespace stylorex {

namespace {

// Whether the settings file can be written at path, beside the program: the program folder
// keeps files, and an existing file may be written.
bool canWriteSettingsAt(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isWritable())) {
        return false;
    }
    return ProgramFolderKeepsFiles(info.absolutePath());
}

QString settingsFileName() {
    return ProgramBaseName() + QStringLiteral(".ini");
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
    const QString beside = JoinPath(programFolder, settingsFileName());
    if (canWriteSettingsAt(beside)) {
        return beside;
    }
    return JoinPath(userConfigFolder(), settingsFileName());
}

QString SettingsFileToRead(const QString& programFolder) {
    const QString written = SettingsFilePath(programFolder);
    const QString beside = JoinPath(programFolder, settingsFileName());
    const QString other =
        written == beside ? JoinPath(userConfigFolder(), settingsFileName()) : beside;
    const QFileInfo writtenInfo(written);
    const QFileInfo otherInfo(other);
    const auto readable = [](const QFileInfo& info) { return info.isFile() && info.isReadable(); };
    if (readable(otherInfo) &&
        (!readable(writtenInfo) || otherInfo.lastModified() > writtenInfo.lastModified())) {
        return other;
    }
    return written;
}

void RemoveStaleSettingsTemporaries(const QString& programFolder) {
    RemoveStaleTemporaryFiles({JoinPath(programFolder, settingsFileName()),
                               JoinPath(userConfigFolder(), settingsFileName())},
                              kProfileFileLinks);
}

void LoadSettings(SettingVariables& settings, SettingsControls& controls, const QString& iniPath) {
    // Section by section, with a yield after the first two: what the yields let run sees the
    // settings read so far.
    StoredSettings stored;
    static_cast<SettingVariables&>(stored) = settings;
    clsIniFile file;
    file.PathIniFile(iniPath);
    ReadSettings(file, stored, kPickUpPatternSection);
    settings = stored;
    controls.processEvents();

    ReadSettings(file, stored, kOtherSection);
    settings = stored;
    controls.setInputText(stored.LastText);
    controls.processEvents();

    // Every other section at once, so that no section the save writes goes unread.
    std::vector<std::string_view> rest;
    for (const Setting& setting : SettingTable()) {
        const std::string_view section = setting.section;
        if (section != kPickUpPatternSection && section != kOtherSection &&
            std::find(rest.begin(), rest.end(), section) == rest.end()) {
            rest.push_back(section);
        }
    }
    for (const std::string_view section : rest) {
        ReadSettings(file, stored, section);
    }
    settings = stored;
    if (stored.FontName.isEmpty()) {
        return;  // the picture keeps the font it has
    }
    QFont font = controls.pictureFont();
    font.setFamily(stored.FontName);
    font.setBold(stored.FontBold);
    font.setItalic(stored.FontItalic);
    if (stored.FontSize > 0) {
        font.setPointSizeF(stored.FontSize);
    }
    font.setStrikeOut(stored.FontStrikethru);
    font.setUnderline(stored.FontUnderline);
    controls.setPictureFont(font);
    controls.setFontTransparent(stored.FontTransparent);
}

bool SaveSettings(const SettingVariables& settings, const SettingsControls& controls,
                  const QString& iniPath, const AtomicFileWriter& writer, QString* why) {
    StoredSettings stored;
    static_cast<SettingVariables&>(stored) = settings;
    stored.LastText = controls.inputText();
    const QFont font = controls.pictureFont();
    stored.FontName = font.family();
    stored.FontSize = font.pointSizeF();
    stored.FontItalic = font.italic();
    stored.FontBold = font.bold();
    stored.FontStrikethru = font.strikeOut();
    stored.FontUnderline = font.underline();
    stored.FontTransparent = controls.fontTransparent();
    // The per-user folder may not exist yet; the program folder always does.
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    return WriteSettings(stored, iniPath, writer, why);
}

}  // namespace stylorex
