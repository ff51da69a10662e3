#include "settings/ini_file.h"

#include "os/program_folder.h"
#include "settings/ini_profile.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

namespace stylorex {

namespace {

// The size of the read buffer the store hands to the profile function: a value longer than
// 254 bytes comes back cut.
constexpr std::uint32_t kReadBufferSize = 255;

// The value's text in the file.
QString textForm(const clsIniFile::IniValue& value) {
    if (const auto* text = std::get_if<QString>(&value)) {
        return *text;
    }
    if (const auto* real = std::get_if<float>(&value)) {
        // -0 is written 0.
        return *real == 0.0f ? QStringLiteral("0")
                             : QString::number(static_cast<double>(*real), 'g', 7);
    }
    if (const auto* small = std::get_if<std::int16_t>(&value)) {
        return QString::number(*small);
    }
    return QString::number(std::get<std::int32_t>(value));
}

}  // namespace

clsIniFile::clsIniFile()
    : m_PathIniFile(JoinPath(ProgramFolder(), ProgramBaseName() + QStringLiteral(".ini"))) {}

clsIniFile::~clsIniFile() = default;

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

void clsIniFile::strValue(const QString& vNewValue) {
    m_strValue = vNewValue;
    SetValue(vNewValue);
}

void clsIniFile::lngValue(std::int32_t vNewValue) {
    m_lngValue = vNewValue;
    SetValue(vNewValue);
}

void clsIniFile::Value(const IniValue& vNewValue) {
    SetValue(vNewValue);
}

bool clsIniFile::SetValue(const IniValue& vValue, const QString& IniFilePath,
                          const QString& SectionName, const QString& KeyName) {
    const QString key = KeyName.isEmpty() ? m_Key : KeyName;
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    const QString text = textForm(vValue);
    const QByteArray stored = ToAnsiCodePage(text);
    const bool written = write(path, section, &key, &stored);
    m_strValue = text;
    bool number = false;
    const double value = text.trimmed().toDouble(&number);
    // Halves go to the even neighbour (the default rounding mode).
    const double whole = number ? std::nearbyint(value) : 0.0;
    const bool fits = std::abs(whole) <= std::numeric_limits<std::int32_t>::max();
    m_lngValue = fits ? static_cast<std::int32_t>(whole) : 0;
    return written;
}

bool clsIniFile::DeleteKey(const QString& IniFilePath, const QString& SectionName,
                           const QString& KeyName) {
    const QString key = KeyName.isEmpty() ? m_Key : KeyName;
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    m_strValue.clear();
    m_lngValue = 0;
    return write(path, section, &key, nullptr);
}

bool clsIniFile::DeleteSection(const QString& IniFilePath, const QString& SectionName) {
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    m_strValue.clear();
    m_lngValue = 0;
    return write(path, section, nullptr, nullptr);
}

std::optional<QByteArray> clsIniFile::GetStoredValue(const QString& IniFilePath,
                                                     const QString& SectionName,
                                                     const QString& KeyName) {
    const QString key = KeyName.isEmpty() ? m_Key : KeyName;
    const QString section = SectionName.isEmpty() ? m_Section : SectionName;
    const QString path = IniFilePath.isEmpty() ? m_PathIniFile : IniFilePath;
    const std::optional<std::string> stored = GetPrivateProfileValue(
        ToAnsiCodePage(section).constData(), ToAnsiCodePage(key).constData(), path);
    if (!stored) {
        return std::nullopt;
    }
    return QByteArray(stored->data(), static_cast<qsizetype>(stored->size()));
}

void clsIniFile::HoldWrites() {
    heldPath_ = m_PathIniFile;
    held_ = std::make_unique<ProfileTransaction>(heldPath_);
}

bool clsIniFile::Commit(const AtomicFileWriter& writer, QString* why) {
    if (!held_) {
        return true;
    }
    const bool committed = held_->commit(heldPath_, writer, why);
    held_.reset();
    return committed;
}

bool clsIniFile::write(const QString& path, const QString& section, const QString* key,
                       const QByteArray* value) {
    const QByteArray sectionBytes = ToAnsiCodePage(section);
    const QByteArray keyBytes = key != nullptr ? ToAnsiCodePage(*key) : QByteArray();
    const char* keyName = key != nullptr ? keyBytes.constData() : nullptr;
    const char* text = value != nullptr ? value->constData() : nullptr;
    if (held_ && path == heldPath_) {
        return held_->write(sectionBytes.constData(), keyName, text);
    }
    return WritePrivateProfileStringA(sectionBytes.constData(), keyName, text, path);
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
