#include "settings/ini_profile.h"

#include "os/regular_file.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <vector>

#include <iconv.h>

namespace stylorex {

namespace {

// ---------------------------------------------------------------------------------------------
// Bytes of a CP932 file

// A CP932 lead byte starts a two-byte character; its trail byte lies in 0x40..0xFC and so may
// look like '[', '\', ']' or an ASCII letter, but never like a blank, '=', ';', a quote or a
// line end.
bool isLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Letter case is folded only on single-byte characters: the trail bytes of 陰 (0x89 0x41) and
// 餌 (0x89 0x61) differ only in what would be ASCII case.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    std::size_t i = 0;
    while (i < a.size()) {
        if (isLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            i += 2;
        } else {
            if (foldAscii(a[i]) != foldAscii(b[i])) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

enum class LineKind { Other, Comment, Header, Entry };

struct Line {
    std::size_t begin = 0;   // first byte of the line
    std::size_t end = 0;     // first byte of its line end (or of the file's end)
    std::size_t next = 0;    // first byte of the next line
    std::size_t keyEnd = 0;  // entries: the byte after the key's last non-blank byte
    LineKind kind = LineKind::Other;
    std::string_view name;  // section name of a header, key of an entry
    std::string_view value;
};

Line classify(std::string_view file, std::size_t begin, std::size_t end, std::size_t next) {
    Line line;
    line.begin = begin;
    line.end = end;
    line.next = next;
    const std::string_view text = file.substr(begin, end - begin);
    std::size_t p = 0;
    while (p < text.size() && isBlank(text[p])) {
        ++p;
    }
    if (p == text.size()) {
        return line;
    }
    if (text[p] == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (text[p] == '[') {
        std::size_t i = p + 1;
        while (i < text.size()) {
            if (isLeadByte(text[i]) && i + 1 < text.size()) {
                i += 2;
            } else if (text[i] == ']') {
                break;
            } else {
                ++i;
            }
        }
        line.kind = LineKind::Header;
        line.name = trimmed(text.substr(p + 1, i - (p + 1)));
        return line;
    }
    // '=' is below 0x40, so it is never a trail byte: the first '=' byte is the first '='.
    const std::size_t equals = text.find('=', p);
    if (equals == std::string_view::npos) {
        return line;
    }
    line.kind = LineKind::Entry;
    line.name = trimmed(text.substr(p, equals - p));
    line.keyEnd = begin + p + line.name.size();
    line.value = unquoted(trimmed(text.substr(equals + 1)));
    return line;
}

// CP932 trail bytes are never CR or LF, so lines split on bytes alone.
std::vector<Line> parseLines(std::string_view file) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    std::size_t i = 0;
    while (i < file.size()) {
        const char c = file[i];
        if (c == '\r' || c == '\n') {
            std::size_t next = i + 1;
            if (c == '\r' && next < file.size() && file[next] == '\n') {
                ++next;
            }
            lines.push_back(classify(file, begin, i, next));
            begin = next;
            i = next;
        } else {
            ++i;
        }
    }
    if (begin < file.size()) {
        lines.push_back(classify(file, begin, file.size(), file.size()));
    }
    return lines;
}

// The first copy of a section: its header's index and the index after its last line.
struct SectionSpan {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t h = 0; h < lines.size(); ++h) {
        if (lines[h].kind == LineKind::Header && sameName(lines[h].name, section)) {
            std::size_t e = h + 1;
            while (e < lines.size() && lines[e].kind != LineKind::Header) {
                ++e;
            }
            return SectionSpan{h, e};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, SectionSpan span,
                                   std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        if (lines[i].kind == LineKind::Entry && sameName(lines[i].name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// A value that reading would trim or unquote is written inside one pair of double quotes.
std::string writtenValue(std::string_view value) {
    const bool needsQuotes =
        !value.empty() &&
        (isBlank(value.front()) || isBlank(value.back()) ||
         (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back()));
    if (needsQuotes) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

bool holdsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool endsInsideDoubleByte(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (isLeadByte(text[i])) {
            if (i + 1 == text.size()) {
                return true;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Files

// Far beyond any settings file; a larger file is not taken for one.
constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;

enum class ReadState { Read, Missing, Failed };

ReadState readFile(const QString& fileName, std::string& bytes) {
    QByteArray read;
    const FileRead result = ReadRegularFile(fileName, read, kMaxProfileBytes);
    bytes.assign(read.constData(), static_cast<std::size_t>(read.size()));
    switch (result) {
        case FileRead::Read:
            return ReadState::Read;
        case FileRead::Missing:
            return ReadState::Missing;
        case FileRead::Refused:
            break;
    }
    return ReadState::Failed;
}

}  // namespace

std::optional<QString> ProfileFileUnreadable(const QString& fileName) {
    std::string bytes;
    if (readFile(fileName, bytes) != ReadState::Failed) {
        return std::nullopt;
    }
    const QFileInfo file(fileName);
    if (file.isFile() && file.size() > kMaxProfileBytes) {
        return QCoreApplication::translate("IniProfile", "大きすぎます（%1 MB まで）")
            .arg(kMaxProfileBytes / (1024 * 1024));
    }
    return QCoreApplication::translate("IniProfile", "通常のファイルではないか、読めません");
}

namespace {

std::optional<std::string> readValue(const char* appName, const char* keyName,
                                     const QString& fileName) {
    if (appName == nullptr || keyName == nullptr) {
        return std::nullopt;
    }
    std::string file;
    if (readFile(fileName, file) != ReadState::Read) {
        return std::nullopt;
    }
    const auto value = profile_bytes::FindValue(file, appName, keyName);
    if (!value) {
        return std::nullopt;
    }
    return std::string(*value);
}

// ---------------------------------------------------------------------------------------------
// Code page conversion

QByteArray convert(const QByteArray& input, const char* to, const char* from, bool toAnsi) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    QByteArray output;
    output.resize(input.size() * 3 + 16);
    char* in = const_cast<char*>(input.constData());
    std::size_t inLeft = static_cast<std::size_t>(input.size());
    std::size_t written = 0;
    const auto put = [&](std::string_view bytes) {
        if (written + bytes.size() > static_cast<std::size_t>(output.size())) {
            output.resize(static_cast<qsizetype>(written + bytes.size()) * 2);
        }
        std::memcpy(output.data() + written, bytes.data(), bytes.size());
        written += bytes.size();
    };
    while (inLeft > 0) {
        char* out = output.data() + written;
        std::size_t outLeft = static_cast<std::size_t>(output.size()) - written;
        const std::size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
        written = static_cast<std::size_t>(out - output.data());
        if (result != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            output.resize(output.size() * 2);
        } else if (errno == EILSEQ) {
            std::size_t skip = 1;
            if (toAnsi) {
                // Skip one whole UTF-8 character and stand '?' in for it.
                const auto lead = static_cast<unsigned char>(*in);
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                skip = std::min(skip, inLeft);
                put("?");
            } else {
                put("\xEF\xBF\xBD");
            }
            in += skip;
            inLeft -= skip;
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else {
            // An unfinished character at the end.
            if (toAnsi) {
                put("?");
            }
            break;
        }
    }
    ::iconv_close(cd);
    output.resize(static_cast<qsizetype>(written));
    return output;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

namespace profile_bytes {

std::optional<std::string_view> FindValue(std::string_view file, std::string_view section,
                                          std::string_view key) {
    const auto lines = parseLines(file);
    const auto span = findSection(lines, trimmed(section));
    if (!span) {
        return std::nullopt;
    }
    const auto index = findKey(lines, *span, trimmed(key));
    if (!index) {
        return std::nullopt;
    }
    return lines[*index].value;
}

bool SetEntry(std::string& file, std::string_view section, std::string_view key,
              std::string_view value) {
    section = trimmed(section);
    key = trimmed(key);
    const std::string entry = std::string(key) + "=" + writtenValue(value);
    const auto lines = parseLines(file);
    const auto span = findSection(lines, section);
    if (!span) {
        if (!file.empty() && file.back() != '\n' && file.back() != '\r') {
            file += "\r\n";
        }
        file += "[" + std::string(section) + "]\r\n" + entry + "\r\n";
        return true;
    }
    if (const auto index = findKey(lines, *span, key)) {
        const Line& line = lines[*index];
        if (line.value == value) {
            return false;
        }
        // Keep the line's indentation and the key as the file spells it.
        file.replace(line.keyEnd, line.end - line.keyEnd, "=" + writtenValue(value));
        return true;
    }
    std::size_t after = span->header;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (lines[i].kind == LineKind::Entry) {
            after = i;
        }
    }
    const Line& previous = lines[after];
    std::string inserted = entry + "\r\n";
    if (previous.next == previous.end) {
        inserted = "\r\n" + inserted;
    }
    file.insert(previous.next, inserted);
    return true;
}

bool DeleteEntry(std::string& file, std::string_view section, std::string_view key) {
    const auto lines = parseLines(file);
    const auto span = findSection(lines, trimmed(section));
    if (!span) {
        return false;
    }
    const auto index = findKey(lines, *span, trimmed(key));
    if (!index) {
        return false;
    }
    const Line& line = lines[*index];
    const Line& previous = lines[*index - 1];
    const bool previousEndsInCr = previous.next - previous.end == 1 && file[previous.end] == '\r';
    if (previousEndsInCr && line.next < file.size() && file[line.next] == '\n') {
        // Removing the whole line would join the CR before it and the LF after it into one CRLF
        // and swallow an empty line: remove the CR before it instead, and keep its own end.
        file.erase(previous.end, line.end - previous.end);
    } else {
        file.erase(line.begin, line.next - line.begin);
    }
    return true;
}

bool DeleteSection(std::string& file, std::string_view section) {
    const auto lines = parseLines(file);
    const auto span = findSection(lines, trimmed(section));
    if (!span) {
        return false;
    }
    const std::size_t begin = lines[span->header].begin;
    const std::size_t end = lines[span->end - 1].next;
    file.erase(begin, end - begin);
    return true;
}

bool CanWriteSection(std::string_view section) {
    section = trimmed(section);
    if (holdsLineBreak(section) || endsInsideDoubleByte(section)) {
        return false;
    }
    std::size_t i = 0;
    while (i < section.size()) {
        if (isLeadByte(section[i])) {
            i += 2;
        } else if (section[i] == ']') {
            return false;
        } else {
            ++i;
        }
    }
    return true;
}

bool CanWriteKey(std::string_view key) {
    key = trimmed(key);
    if (holdsLineBreak(key) || key.find('=') != std::string_view::npos) {
        return false;
    }
    return key.empty() || (key.front() != '[' && key.front() != ';');
}

bool CanWriteValue(std::string_view value) {
    return !holdsLineBreak(value);
}

}  // namespace profile_bytes

std::uint32_t GetPrivateProfileStringA(const char* appName, const char* keyName,
                                       const char* defaultValue, char* returnedString,
                                       std::uint32_t size, const QString& fileName) {
    if (returnedString == nullptr || size == 0) {
        return 0;
    }
    std::string text;
    if (auto value = readValue(appName, keyName, fileName)) {
        text = std::move(*value);
    } else if (defaultValue != nullptr) {
        text = defaultValue;
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
    }
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(returnedString, text.data(), count);
    returnedString[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

std::optional<std::string> GetPrivateProfileValue(const char* appName, const char* keyName,
                                                  const QString& fileName) {
    return readValue(appName, keyName, fileName);
}

std::uint32_t GetPrivateProfileIntA(const char* appName, const char* keyName,
                                    std::int32_t defaultValue, const QString& fileName) {
    const auto value = readValue(appName, keyName, fileName);
    if (!value) {
        return static_cast<std::uint32_t>(defaultValue);
    }
    std::string_view text = trimmed(*value);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint32_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        number = number * 10u + static_cast<std::uint32_t>(c - '0');
    }
    return negative ? 0u - number : number;
}

ProfileTransaction::ProfileTransaction(const QString& fileName) : readFrom_(fileName) {
    readable_ = readFile(fileName, original_) != ReadState::Failed;
    bytes_ = original_;
}

bool ProfileTransaction::write(const char* appName, const char* keyName, const char* value) {
    if (appName == nullptr || !profile_bytes::CanWriteSection(appName)) {
        return false;
    }
    if (keyName != nullptr && !profile_bytes::CanWriteKey(keyName)) {
        return false;
    }
    if (keyName != nullptr && value != nullptr && !profile_bytes::CanWriteValue(value)) {
        return false;
    }
    if (keyName == nullptr) {
        profile_bytes::DeleteSection(bytes_, appName);
    } else if (value == nullptr) {
        profile_bytes::DeleteEntry(bytes_, appName, keyName);
    } else {
        profile_bytes::SetEntry(bytes_, appName, keyName, value);
    }
    return true;
}

bool ProfileTransaction::commit(const QString& fileName, const AtomicFileWriter& writer,
                                QString* why) const {
    if (!readable_) {
        if (why != nullptr) {
            *why = ProfileFileUnreadable(readFrom_).value_or(QString());
        }
        return false;
    }
    if (fileName == readFrom_ && bytes_ == original_) {
        return true;
    }
    return writer.replace(fileName, QByteArrayView(bytes_.data(), qsizetype(bytes_.size())),
                          kProfileFileLinks, why);
}

bool WritePrivateProfileStringA(const char* appName, const char* keyName, const char* value,
                                const QString& fileName, const AtomicFileWriter& writer) {
    ProfileTransaction file(fileName);
    return file.write(appName, keyName, value) && file.commit(fileName, writer);
}

QByteArray ToAnsiCodePage(const QString& text) {
    return convert(text.toUtf8(), "CP932", "UTF-8", true);
}

QString FromAnsiCodePage(const QByteArray& bytes) {
    return QString::fromUtf8(convert(bytes, "UTF-8", "CP932", false));
}

}  // namespace stylorex
