#include "settings/ini_file.h"

#include "common/rounding.h"
#include "os/program_folder.h"
#include "settings/ini_profile.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace stylorex {

namespace {

// The size of the read buffer the store hands to the profile function: a value longer than
// 254 bytes comes back cut.
constexpr std::uint32_t kReadBufferSize = 255;

// The number a text form stands for, if it reads as one ("12", " 2.5 ", "-3e2").
std::optional<double> numberOf(const QString& text) {
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    // "nan" and "inf" are words, not numbers, to the store.
    if (!ok || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

std::optional<double> numberOf(const IniValue& value) {
    if (const auto* text = std::get_if<QString>(&value)) {
        return numberOf(*text);
    }
    if (const auto* small = std::get_if<std::int16_t>(&value)) {
        return *small;
    }
    if (const auto* whole = std::get_if<std::int32_t>(&value)) {
        return *whole;
    }
    if (const auto* real = std::get_if<float>(&value)) {
        return static_cast<double>(*real);
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> IniTextForm(const IniValue& value) {
    if (const auto* text = std::get_if<QString>(&value)) {
        return *text;
    }
    if (const auto* small = std::get_if<std::int16_t>(&value)) {
        return QString::number(*small);
    }
    if (const auto* whole = std::get_if<std::int32_t>(&value)) {
        return QString::number(*whole);
    }
    if (const auto* real = std::get_if<float>(&value)) {
        if (*real == 0.0f) {
            return QStringLiteral("0");  // also for -0
        }
        return QString::number(static_cast<double>(*real), 'g', 7);
    }
    return std::nullopt;
}

clsIniFile::clsIniFile(const AtomicFileWriter& writer)
    : m_writer(&writer),
      m_PathIniFile(JoinPath(ProgramFolder(), ProgramBaseName() + QStringLiteral(".ini"))) {}

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

void clsIniFile::strValue(const QString& vNewValue) {
    m_strValue = vNewValue;
    SetValue(vNewValue);
}

void clsIniFile::lngValue(std::int32_t vNewValue) {
    m_lngValue = vNewValue;
    SetValue(vNewValue);
}

void clsIniFile::Value(const IniValue& vNewValue) {
    m_lngValue = 0;
    m_strValue.clear();
    if (const auto number = numberOf(vNewValue)) {
        if (const auto whole = RoundHalfEvenIfInRange(*number)) {
            m_lngValue = *whole;
        }
    }
    if (const auto text = IniTextForm(vNewValue)) {
        m_strValue = *text;
    }
    SetValue(m_strValue);
}

bool clsIniFile::SetValue(const IniValue& vValue, const QString& IniFilePath,
                          const QString& SectionName, const QString& KeyName) {
    const QString key = KeyName.isEmpty() ? m_Key : KeyName;
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;

    const auto text = IniTextForm(vValue);
    if (!text) {
        return false;
    }
    const bool written = WritePrivateProfileStringA(
        ToAnsiCodePage(section).constData(), ToAnsiCodePage(key).constData(),
        ToAnsiCodePage(*text).constData(), path, *m_writer);
    m_strValue = *text;
    m_lngValue = 0;
    if (const auto number = numberOf(*text)) {
        const auto whole = RoundHalfEvenIfInRange(*number);
        if (!whole) {
            return false;
        }
        m_lngValue = *whole;
    }
    return written;
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

bool clsIniFile::DeleteKey(const QString& IniFilePath, const QString& SectionName,
                           const QString& KeyName) {
    const QString key = KeyName.isEmpty() ? m_Key : KeyName;
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    const bool written =
        WritePrivateProfileStringA(ToAnsiCodePage(section).constData(),
                                   ToAnsiCodePage(key).constData(), nullptr, path, *m_writer);
    m_strValue.clear();
    m_lngValue = 0;
    return written;
}

bool clsIniFile::DeleteSection(const QString& IniFilePath, const QString& SectionName) {
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    const bool written = WritePrivateProfileStringA(ToAnsiCodePage(section).constData(), nullptr,
                                                    nullptr, path, *m_writer);
    m_strValue.clear();
    m_lngValue = 0;
    return written;
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
