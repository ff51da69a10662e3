#pragma once

// Our stand-ins for the Windows private-profile functions. The settings file is kept as bytes
// in the ANSI code page CP932 (Windows-31J) on every platform, so that a file written by the
// Windows build reads the same here and the reverse. Names and values cross this layer as CP932
// bytes; ToAnsiCodePage and FromAnsiCodePage convert at the program's edge.
//
// Reading rules (as the Windows functions read):
// - a line whose first non-blank byte is '[' opens a section; the name ends at the first ']'
//   (or the line's end) and is trimmed; text after ']' is ignored;
// - a line whose first non-blank byte is ';' is a comment; '#' is not special;
// - an entry line splits at its first '='; key and value are trimmed of space, tab and vertical
//   tab; one pair of matching outer quotes (" or ') is removed from the value; a line without
//   '=' is not an entry; entries before the first section cannot be read;
// - names match without regard to ASCII letter case; the first of duplicate sections and keys
//   wins; CRLF, LF and CR line ends all parse;
// - the byte parser steps over CP932 double-byte characters, so a trail byte that happens to be
//   ']' (ゾ) or a letter (陰, 餌) is never taken for a bracket or folded.
//
// Writing rules:
// - a new file is "[Section]" CRLF "key=value" CRLF; a new section goes at the end of the file,
//   a new key after the last entry of its section; an existing key is changed in place, keeping
//   its spelling; every line the write does not have to change stays byte for byte;
// - a value whose ends would be trimmed or unquoted on reading (outer blanks, or outer matching
//   quotes) is written inside one pair of double quotes, so that it reads back exactly; any
//   other value is written as given;
// - a name or value holding a line break (or a section name holding ']', a key holding '=')
//   would break the file: such a write is refused and reports failure;
// - the file is replaced atomically (AtomicFileWriter: a temporary file in the same folder is
//   written, flushed to disk and renamed over the original), so a crash or a full disk never
//   leaves a half-written or empty settings file; a symbolic link is followed, so a settings
//   file kept as a link into another folder stays one. A file that exists but cannot be read
//   (also one that is no regular file, such as a named pipe) is never replaced.

#include "os/atomic_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stylorex {

// How profile files are replaced: through a symbolic link, so that a link stays one.
constexpr SymbolicLinks kProfileFileLinks = SymbolicLinks::Follow;

// Copies the value of key keyName in section appName of fileName, or defaultValue (without its
// trailing spaces) when the file, the section or the key is missing, into returnedString: at
// most size - 1 bytes, then a NUL. Returns the number of bytes copied. A null appName or keyName
// (the Windows enumeration calls) is not supported and reads as a missing key.
std::uint32_t GetPrivateProfileStringA(const char* appName, const char* keyName,
                                       const char* defaultValue, char* returnedString,
                                       std::uint32_t size, const QString& fileName);

// The number the value begins with (optional blanks, an optional sign, decimal digits; wrapping
// modulo 2^32), 0 when it does not begin with one (an empty value too), defaultValue when the
// file, the section or the key is missing.
std::uint32_t GetPrivateProfileIntA(const char* appName, const char* keyName,
                                    std::int32_t defaultValue, const QString& fileName);

// The value of key keyName in section appName of fileName as the reading rules give it; nothing
// when the file, the section or the key is missing.
std::optional<std::string> GetPrivateProfileValue(const char* appName, const char* keyName,
                                                  const QString& fileName);

// Sets key keyName of section appName to value. A null value deletes the key's line (the
// section stays); a null keyName deletes the section's header and every line up to the next
// section. Deleting what does not exist succeeds and leaves the file untouched. Returns true
// when the file holds what was asked (written, or nothing to change), false when the write
// could not be carried out or was refused. The file is replaced through `writer`.
bool WritePrivateProfileStringA(const char* appName, const char* keyName, const char* value,
                                const QString& fileName,
                                const AtomicFileWriter& writer = SystemFileWriter());

// Why the file at `fileName`, which exists, cannot be read as a profile: no regular file,
// unreadable, or larger than a profile file can be. Nothing when it reads or does not exist.
std::optional<QString> ProfileFileUnreadable(const QString& fileName);

// A profile file held in memory: read once, changed by any number of writes, then written with
// one atomic replace, so that the changes reach the file all together or not at all.
class ProfileTransaction {
  public:
    // Reads `fileName`; a missing file starts empty.
    explicit ProfileTransaction(const QString& fileName);
    // As WritePrivateProfileStringA, on the bytes held. False when the write is refused (names
    // or value that would break the file); nothing changes then.
    bool write(const char* appName, const char* keyName, const char* value);
    // Makes the file `fileName` hold the bytes, replacing it through `writer`; nothing is
    // written when they are the bytes read from that same file. False when the file read
    // exists but could not be read, or the replace failed; `why`, when given, then says why.
    bool commit(const QString& fileName, const AtomicFileWriter& writer,
                QString* why = nullptr) const;

  private:
    QString readFrom_;
    bool readable_ = false;
    std::string original_;
    std::string bytes_;
};

// The program's text to CP932 and back, through iconv. A character that CP932 cannot hold is
// written as '?'. On the way back, a byte sequence that is not CP932 becomes U+FFFD and an
// unfinished double-byte character at the end (a value cut inside it) is dropped.
QByteArray ToAnsiCodePage(const QString& text);
QString FromAnsiCodePage(const QByteArray& bytes);

// The byte-level core, on a file held in memory. The functions above read and write files
// through it; tests use it directly.
namespace profile_bytes {

// The value as the reading rules give it, or nothing when the section or key is missing.
std::optional<std::string_view> FindValue(std::string_view file, std::string_view section,
                                          std::string_view key);
// Sets or adds the entry; returns whether the file's bytes changed. The caller has checked that
// the names and the value can be written (CanWrite).
bool SetEntry(std::string& file, std::string_view section, std::string_view key,
              std::string_view value);
bool DeleteEntry(std::string& file, std::string_view section, std::string_view key);
bool DeleteSection(std::string& file, std::string_view section);
// Whether the names and value can stand in a file without breaking its lines.
bool CanWriteSection(std::string_view section);
bool CanWriteKey(std::string_view key);
bool CanWriteValue(std::string_view value);

}  // namespace profile_bytes

}  // namespace stylorex
