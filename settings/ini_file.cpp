#include "settings/ini_file.h"

#include "os/program_folder.h"
#include "settings/ini_profile.h"

#include <QFileInfo>

namespace stylorex {

namespace {

// The size of the read buffer the store hands to the profile function: a value longer than
// 254 bytes comes back cut.
constexpr std::uint32_t kReadBufferSize = 255;

}  // namespace

clsIniFile::clsIniFile()
    : m_PathIniFile(JoinPath(ProgramFolder(), ProgramBaseName() + QStringLiteral(".ini"))) {}

void clsIniFile::PathIniFile(const QString& vNewValue) {
    m_PathIniFile = vNewValue;
    RefreshValue();
}

void clsIniFile::Section(const QString& vNewValue) {
    m_Section = vNewValue;
    RefreshValue();
}

void clsIniFile::Key(const QString& vNewValue) {
    m_Key = vNewValue;
    RefreshValue();
}

QString clsIniFile::GetStrValue(const QString& IniFilePath, const QString& SectionName,
                                const QString& KeyName, const QString& strDef) {
    const QString key = KeyName.isEmpty() ? m_Key : KeyName;
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    return ReadProfileString(section, key, path, strDef);
}

std::int32_t clsIniFile::GetIntValue(const QString& IniFilePath, const QString& SectionName,
                                     const QString& KeyName, std::int32_t lngDef) {
    const QString key = KeyName.isEmpty() ? m_Key : KeyName;
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    return static_cast<std::int32_t>(GetPrivateProfileIntA(
        ToAnsiCodePage(section).constData(), ToAnsiCodePage(key).constData(), lngDef, path));
}

void clsIniFile::RefreshValue() {
    if (!m_Section.isEmpty() && !m_Key.isEmpty() && FileExists(m_PathIniFile)) {
        m_strValue = GetStrValue(m_PathIniFile, m_Section, m_Key, QString());
        m_lngValue = GetIntValue(m_PathIniFile, m_Section, m_Key, 0);
    } else {
        m_strValue.clear();
        m_lngValue = 0;
    }
}

QString clsIniFile::ReadProfileString(const QString& SectionName, const QString& KeyName,
                                      const QString& IniFilePath, const QString& strDef) {
    QByteArray buffer(kReadBufferSize, '\0');
    GetPrivateProfileStringA(
        ToAnsiCodePage(SectionName).constData(), ToAnsiCodePage(KeyName).constData(),
        ToAnsiCodePage(strDef).constData(), buffer.data(), kReadBufferSize, IniFilePath);
    const qsizetype end = buffer.indexOf('\0');
    if (end < 0) {
        return strDef;
    }
    return FromAnsiCodePage(buffer.left(end));
}

bool clsIniFile::FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

}  // namespace stylorex
