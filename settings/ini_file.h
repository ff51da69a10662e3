#pragma once

#include "os/atomic_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

namespace stylorex {

class ProfileTransaction;

// The program's only access to its settings file: one INI file, a current section and key, and
// the value of the current entry last read or written. Nothing is kept between calls: every read
// goes to the file, and so does every write, unless the object holds its writes (HoldWrites) to
// replace the file with all of them at once (Commit). An empty path, section or key argument of
// a method stands for the current PathIniFile, Section or Key; the methods never change those
// three. The settings' load uses one object, their save another.
//
// Properties are a getter and a setter of the same name: PathIniFile() reads,
// PathIniFile(text) writes.
class clsIniFile {
  public:
    // What a write takes: text, a 16- or 32-bit integer or a single-precision real. In the file,
    // text stands as it is (in the file's code page), integers in decimal, reals with up to seven
    // significant digits (9.75, 12).
    using IniValue = std::variant<QString, std::int16_t, std::int32_t, float>;

    // PathIniFile starts as the program folder, the executable's base name and ".ini"; nothing
    // is read.
    clsIniFile();
    ~clsIniFile();
    clsIniFile(const clsIniFile&) = delete;
    clsIniFile& operator=(const clsIniFile&) = delete;

    // Writing PathIniFile, Section or Key re-reads strValue and lngValue (RefreshValue).
    QString PathIniFile() const { return m_PathIniFile; }
    void PathIniFile(const QString& vNewValue);
    QString Section() const { return m_Section; }
    void Section(const QString& vNewValue);
    QString Key() const { return m_Key; }
    void Key(const QString& vNewValue);

    // The current entry's value as text and as a number. Writing either writes the current entry.
    QString strValue() const { return m_strValue; }
    void strValue(const QString& vNewValue);
    std::int32_t lngValue() const { return m_lngValue; }
    void lngValue(std::int32_t vNewValue);
    // Writes the current entry: a number, or text (its number, when it reads as one, becomes
    // lngValue; otherwise lngValue is 0).
    void Value(const IniValue& vNewValue);

    // Writes the entry and sets strValue to the value's text and lngValue to the nearest whole
    // number it reads as (halves to the even one), 0 for text that is no number or a number
    // beyond 32 bits. False when the file refuses the entry (a line break in a name, say).
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
    // Remove the entry, or the section with all its entries; strValue and lngValue are emptied.
    // Removing what is not there succeeds. False when the file cannot take the change.
    bool DeleteKey(const QString& IniFilePath = {}, const QString& SectionName = {},
                   const QString& KeyName = {});
    bool DeleteSection(const QString& IniFilePath = {}, const QString& SectionName = {});

    // The whole stored value, however long, in the file's code page; nothing when the file,
    // section or key is missing.
    std::optional<QByteArray> GetStoredValue(const QString& IniFilePath, const QString& SectionName,
                                             const QString& KeyName);
    // From now on, writes to PathIniFile's file wait in memory (the file read once, now) until
    // Commit replaces the file with all of them: a save killed at any moment leaves the old file
    // or the new one.
    void HoldWrites();
    // Replaces the file with the held writes through `writer` (nothing is written when they
    // changed nothing). False when the file could not be read or replaced; `why` then says why.
    bool Commit(const AtomicFileWriter& writer = SystemFileWriter(), QString* why = nullptr);

  private:
    // strValue and lngValue from the current entry; empty and 0 when the file is missing or the
    // section or key is empty.
    void RefreshValue();
    QString ReadProfileString(const QString& SectionName, const QString& KeyName,
                              const QString& IniFilePath, const QString& strDef);
    static bool FileExists(const QString& path);
    // A write of the profile functions (a null key removes the section, a null value the key),
    // to the held writes when they are for the held file.
    bool write(const QString& path, const QString& section, const QString* key,
               const QByteArray* value);

    QString m_PathIniFile;
    QString m_Section;
    QString m_Key;
    QString m_strValue;
    std::int32_t m_lngValue = 0;
    QString heldPath_;
    std::unique_ptr<ProfileTransaction> held_;
};

}  // namespace stylorex
