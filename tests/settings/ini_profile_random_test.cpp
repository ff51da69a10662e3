// Robustness of the profile parser and writer against files no program wrote: random bytes,
// NUL bytes, very long lines, lines without line ends. Every file must parse without a crash
// or a hang, and a write must change what it was asked to change and nothing that reads
// differently elsewhere.

#include "settings/ini_profile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

namespace stylorex {
namespace {

using namespace profile_bytes;

// Names and the group each belongs to: names of one group match each other (ASCII case), the
// double-byte names 陰 and 餌 match only themselves.
struct Name {
    const char* text;
    int group;
};
constexpr std::array<Name, 5> kSections = {
    {{"A", 0}, {"a", 0}, {"B", 1}, {"\x83\x5D", 2}, {"", 3}}};
constexpr std::array<Name, 5> kKeys = {
    {{"k", 0}, {"K", 0}, {"j", 1}, {"\x89\x41", 2}, {"\x89\x61", 3}}};

class RandomFiles {
  public:
    explicit RandomFiles(unsigned seed) : random_(seed) {}

    std::string file(std::size_t maxLength) {
        // Mostly the bytes the syntax turns on, so that headers and entries do occur.
        static const std::string interesting =
            "[]=;\"' \t\v\r\n\r\nAaBkKj\x81\x83\x89\x95\x5C\x5D\x41\x61\xFC\xFF";
        std::string text;
        const std::size_t length = pick(maxLength + 1);
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t roll = pick(10);
            if (roll < 6) {
                text += interesting[pick(interesting.size())];
            } else if (roll < 8) {
                text += static_cast<char>(pick(256));
            } else if (roll == 8) {
                text += '\0';
            } else {
                text += std::string(kSections[pick(kSections.size())].text) + "]\r\n" +
                        kKeys[pick(kKeys.size())].text + "=";
            }
        }
        return text;
    }

    // A value the writer accepts: anything without a line break.
    std::string value() {
        std::string text;
        const std::size_t length = pick(12);
        for (std::size_t i = 0; i < length; ++i) {
            char c = static_cast<char>(pick(256));
            if (c == '\r' || c == '\n') {
                c = ' ';
            }
            text += c;
        }
        return text;
    }

    std::size_t pick(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
    }

  private:
    std::mt19937 random_;
};

using Snapshot = std::array<std::array<std::optional<std::string>, kKeys.size()>, kSections.size()>;

Snapshot readEverything(const std::string& file) {
    Snapshot snapshot;
    for (std::size_t s = 0; s < kSections.size(); ++s) {
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            if (const auto value = FindValue(file, kSections[s].text, kKeys[k].text)) {
                snapshot[s][k] = std::string(*value);
            }
        }
    }
    return snapshot;
}

// Lines as the parser splits them: CRLF, LF or CR ends a line.
long countLines(const std::string& file) {
    long lines = 0;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\n' || (file[i] == '\r' && (i + 1 == file.size() || file[i + 1] != '\n'))) {
            ++lines;
        }
    }
    const bool openLastLine = !file.empty() && file.back() != '\n' && file.back() != '\r';
    return lines + (openLastLine ? 1 : 0);
}

TEST(ProfileRandomFiles, ParsingAndWritingTenThousandRandomFilesKeepsEveryOtherValue) {
    RandomFiles random(20261207);
    for (int round = 0; round < 12000; ++round) {
        std::string file = random.file(round % 10 == 0 ? 400 : 80);
        const Snapshot before = readEverything(file);
        const std::size_t s = random.pick(kSections.size());
        const std::size_t k = random.pick(kKeys.size());
        const int operation = static_cast<int>(random.pick(3));
        const std::string value = random.value();
        const long linesBefore = countLines(file);
        if (operation == 0) {
            SetEntry(file, kSections[s].text, kKeys[k].text, value);
            ASSERT_EQ(FindValue(file, kSections[s].text, kKeys[k].text), value) << round;
            // Changed in place, one entry added, or a section and its entry added: no other
            // line was joined or split.
            const long added = countLines(file) - linesBefore;
            ASSERT_TRUE(added >= 0 && added <= 2) << round;
        } else if (operation == 1) {
            const bool deleted = DeleteEntry(file, kSections[s].text, kKeys[k].text);
            ASSERT_EQ(countLines(file), linesBefore - (deleted ? 1 : 0)) << round;
        } else {
            DeleteSection(file, kSections[s].text);
        }
        const Snapshot after = readEverything(file);
        for (std::size_t s2 = 0; s2 < kSections.size(); ++s2) {
            for (std::size_t k2 = 0; k2 < kKeys.size(); ++k2) {
                const bool sameSection = kSections[s2].group == kSections[s].group;
                const bool sameKey = kKeys[k2].group == kKeys[k].group;
                // A delete may uncover a later duplicate of the same key or section.
                if (sameSection && (sameKey || operation == 2)) {
                    continue;
                }
                ASSERT_EQ(after[s2][k2], before[s2][k2])
                    << "round " << round << " operation " << operation;
            }
        }
    }
}

TEST(ProfileRandomFiles, LongLinesNulBytesAndMissingLineEndsParse) {
    const std::string longValue(1 << 20, 'x');
    std::string file = "[A]\r\nk=" + longValue;  // one long last line without a line end
    EXPECT_EQ(FindValue(file, "A", "k"), longValue);
    ASSERT_TRUE(SetEntry(file, "A", "j", "1"));
    EXPECT_EQ(file, "[A]\r\nk=" + longValue + "\r\nj=1\r\n");

    static const char kWithNul[] = "[A]\0\r\nk=a\0b\r\n[\0]\r\nk=2";
    const std::string withNul(kWithNul, sizeof kWithNul - 1);
    EXPECT_EQ(FindValue(withNul, "A", "k"), std::string("a\0b", 3));
    EXPECT_EQ(FindValue(withNul, std::string_view("\0", 1), "k"), "2");

    const std::string noBreaks(1 << 20, '[');
    EXPECT_EQ(FindValue(noBreaks, "A", "k"), std::nullopt);
    const std::string leadBytes(1 << 20, '\x81');
    EXPECT_EQ(FindValue("[" + leadBytes + "]", "A", "k"), std::nullopt);
    const std::string lineEnds(1 << 20, '\r');
    std::string copy = lineEnds;
    ASSERT_TRUE(SetEntry(copy, "A", "k", "v"));
    EXPECT_EQ(copy, lineEnds + "[A]\r\nk=v\r\n");
}

TEST(ProfileRandomFiles, TheFileFunctionsReadAndWriteRandomFilesOnDisk) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("random.ini"));
    RandomFiles random(42);
    for (int round = 0; round < 100; ++round) {
        const std::string bytes = random.file(120);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        }
        char buffer[255];
        GetPrivateProfileStringA("A", "k", "d", buffer, sizeof buffer, path);
        GetPrivateProfileIntA("A", "k", 0, path);
        const std::string value = random.value();
        // The API takes NUL-terminated text: stop the value at its first NUL.
        const std::string text(value.c_str());
        ASSERT_TRUE(WritePrivateProfileStringA("A", "k", text.c_str(), path));
        ASSERT_EQ(GetPrivateProfileStringA("A", "k", "", buffer, sizeof buffer, path), text.size());
        EXPECT_EQ(std::string(buffer), text);
        // Random bytes convert to text and back without growing: each character that is
        // not CP932 stands as one '?' for one byte.
        EXPECT_LE(ToAnsiCodePage(FromAnsiCodePage(QByteArray::fromStdString(bytes))).size(),
                  static_cast<qsizetype>(bytes.size()));
    }
}

}  // namespace
}  // namespace stylorex
