#pragma once

#include <QString>

#include <cstdint>

namespace stylorex {

// Read access to one INI file: the file, a current section and key, and the value of the current
// entry last read. Nothing is kept between calls: every read goes to the file. An empty path,
// section or key argument of a method stands for the current PathIniFile, Section or Key; the
// methods never change those three. The settings are written through the profile functions
// (ProfileTransaction), never through this class.
//
// Properties are a getter and a setter of the same name: PathIniFile() reads,
// PathIniFile(text) writes.
class clsIniFile {
  public:
    // PathIniFile starts as the program folder, the executable's base name and ".ini"; nothing
    // is read.
    clsIniFile();

    // Writing PathIniFile, Section or Key re-reads strValue and lngValue (RefreshValue).
    QString PathIniFile() const { return m_PathIniFile; }
    void PathIniFile(const QString& vNewValue);
    QString Section() const { return m_Section; }
    void Section(const QString& vNewValue);
    QString Key() const { return m_Key; }
    void Key(const QString& vNewValue);

    // The current entry's value as text and as the number it begins with.
    QString strValue() const { return m_strValue; }
    std::int32_t lngValue() const { return m_lngValue; }

    // The stored text (at most its first 254 bytes in the file's code page), or strDef when the
    // file, section or key is missing. Leaves strValue alone.
    QString GetStrValue(const QString& IniFilePath, const QString& SectionName,
                        const QString& KeyName, const QString& strDef = {});
    // The number the stored text begins with (0 when it does not begin with one, also for an
    // empty value), or lngDef when the file, section or key is missing. Leaves lngValue alone.
    std::int32_t GetIntValue(const QString& IniFilePath, const QString& SectionName,
                             const QString& KeyName, std::int32_t lngDef = 0);

  private:
    // strValue and lngValue from the current entry; empty and 0 when the file is missing or the
    // section or key is empty.
    void RefreshValue();
    QString ReadProfileString(const QString& SectionName, const QString& KeyName,
                              const QString& IniFilePath, const QString& strDef);
    static bool FileExists(const QString& path);

    QString m_PathIniFile;
    QString m_Section;
    QString m_Key;
    QString m_strValue;
    std::int32_t m_lngValue = 0;
};

}  // namespace stylorex
