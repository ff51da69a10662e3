#pragma once

#include "os/atomic_file.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

namespace stylorex {

// A value handed to clsIniFile::SetValue or Value: text, a 16-bit or 32-bit integer, or a
// single-precision real. std::monostate is a value without a text form; writing it fails.
using IniValue = std::variant<std::monostate, QString, std::int16_t, std::int32_t, float>;

// The text a value has in the file: text unchanged, integers in decimal, reals with up to seven
// significant digits and no trailing zeros (9.75, 12). Nothing for a value without a text form.
std::optional<QString> IniTextForm(const IniValue& value);

// The program's access to its settings file: one file, a current section and key, and the value
// of the current entry last read or written. Nothing is kept between calls: every read and write
// goes to the file. An empty path, section or key argument of a method stands for the current
// PathIniFile, Section or Key; the methods never change those three.
//
// Properties are a getter and a setter of the same name: PathIniFile() reads,
// PathIniFile(text) writes.
class clsIniFile {
  public:
    // PathIniFile starts as the program folder, the executable's base name and ".ini"; nothing
    // is read. Every write replaces the file through `writer`, which must outlive the object.
    explicit clsIniFile(const AtomicFileWriter& writer = SystemFileWriter());

    // Writing PathIniFile, Section or Key re-reads strValue and lngValue (RefreshValue).
    QString PathIniFile() const { return m_PathIniFile; }
    void PathIniFile(const QString& vNewValue);
    QString Section() const { return m_Section; }
    void Section(const QString& vNewValue);
    QString Key() const { return m_Key; }
    void Key(const QString& vNewValue);

    // Writing strValue or lngValue writes the value to the current entry.
    QString strValue() const { return m_strValue; }
    void strValue(const QString& vNewValue);
    std::int32_t lngValue() const { return m_lngValue; }
    void lngValue(std::int32_t vNewValue);

    // Write only: text or a number, written to the current entry. A failure in a step is passed
    // over, so a value without a text form writes an empty value.
    void Value(const IniValue& vNewValue);

    // Writes the value's text form and leaves it in strValue, and in lngValue the nearest
    // integer (halfway to even) when the text reads as a number, else 0. Returns false when the
    // value has no text form, when its number lies outside 32 bits (the entry is written then),
    // or when the file could not be written (the cache is updated all the same).
    bool SetValue(const IniValue& vValue, const QString& IniFilePath = {},
                  const QString& SectionName = {}, const QString& KeyName = {});
    // The stored text (at most its first 254 bytes in the file's code page), or strDef when the
    // file, section or key is missing. Leaves strValue alone.
    QString GetStrValue(const QString& IniFilePath, const QString& SectionName,
                        const QString& KeyName, const QString& strDef = {});
    // The number the stored text begins with (0 when it does not begin with one, also for an
    // empty value), or lngDef when the file, section or key is missing. Leaves lngValue alone.
    std::int32_t GetIntValue(const QString& IniFilePath, const QString& SectionName,
                             const QString& KeyName, std::int32_t lngDef = 0);
    // Both clear strValue and lngValue. Deleting what does not exist succeeds; false means the
    // file could not be written.
    bool DeleteKey(const QString& IniFilePath, const QString& SectionName, const QString& KeyName);
    bool DeleteSection(const QString& IniFilePath, const QString& SectionName);

  private:
    // strValue and lngValue from the current entry; empty and 0 when the file is missing or the
    // section or key is empty.
    void RefreshValue();
    QString ReadProfileString(const QString& SectionName, const QString& KeyName,
                              const QString& IniFilePath, const QString& strDef);
    static bool FileExists(const QString& path);

    const AtomicFileWriter* m_writer;
    QString m_PathIniFile;
    QString m_Section;
    QString m_Key;
    QString m_strValue;
    std::int32_t m_lngValue = 0;
};

}  // namespace stylorex
