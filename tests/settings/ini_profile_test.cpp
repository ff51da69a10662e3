#include "settings/ini_profile.h"

#include "tests/support/faulty_file_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace stylorex {
namespace {

using profile_bytes::FindValue;

std::optional<std::string> valueOf(std::string_view file, std::string_view section,
                                   std::string_view key) {
    const auto value = FindValue(file, section, key);
    if (!value) {
        return std::nullopt;
    }
    return std::string(*value);
}

std::string bytesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "<missing>";
    }
    return file.readAll().toStdString();
}

void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string readString(const char* section, const char* key, const char* def, const QString& path,
                       std::uint32_t size = 255) {
    std::string buffer(size, 'x');
    const auto count = GetPrivateProfileStringA(section, key, def, buffer.data(), size, path);
    EXPECT_EQ(buffer[count], '\0');
    return buffer.substr(0, count);
}

// A folder that cannot be written even by root.
const QString kUnwritableFile = QStringLiteral("/proc/stylorex-settings-test.ini");

class ProfileFile : public ::testing::Test {
  protected:
    QString path(const QString& name = QStringLiteral("s.ini")) const {
        return dir_.filePath(name);
    }
    QTemporaryDir dir_;
};

// ---------------------------------------------------------------------------------------------
// Reading rules, each on a small file

TEST(ProfileReading, SectionHeadersTrimBlanksIgnoreTrailingTextAndAllowAnEmptyName) {
    EXPECT_EQ(valueOf("[ \tA\v ]\r\nk=1\r\n", "A", "k"), "1");
    EXPECT_EQ(valueOf("  [A] trailing text\r\nk=2\r\n", "A", "k"), "2");
    EXPECT_EQ(valueOf("[A\r\nk=3\r\n", "A", "k"), "3");  // ']' missing: the name runs to the end
    EXPECT_EQ(valueOf("[]\r\nk=4\r\n", "", "k"), "4");
}

TEST(ProfileReading, NamesMatchWithoutRegardToCaseAndValuesKeepTheirs) {
    EXPECT_EQ(valueOf("[other]\r\nwaittime=AbC\r\n", "Other", "WaitTime"), "AbC");
    EXPECT_EQ(valueOf("[OTHER]\r\nWAITTIME=7\r\n", "other", "waittime"), "7");
}

TEST(ProfileReading, EntriesSplitAtTheFirstEqualsAndAreTrimmed) {
    EXPECT_EQ(valueOf("[A]\r\n \t k \v = a=b  \r\n", "A", "k"), "a=b");
    EXPECT_EQ(valueOf("[A]\r\nk\r\nk=v\r\n", "A", "k"), "v");  // a line without '=' is no entry
    EXPECT_EQ(valueOf("[A]\r\nk=\r\n", "A", "k"), "");
}

TEST(ProfileReading, OnePairOfMatchingOuterQuotesIsRemoved) {
    EXPECT_EQ(valueOf("[A]\r\nk=  \"  x  \"  \r\n", "A", "k"), "  x  ");
    EXPECT_EQ(valueOf("[A]\r\nk='y'\r\n", "A", "k"), "y");
    EXPECT_EQ(valueOf("[A]\r\nk=\"\"z\"\"\r\n", "A", "k"), "\"z\"");
    EXPECT_EQ(valueOf("[A]\r\nk=\"mismatched'\r\n", "A", "k"), "\"mismatched'");
    EXPECT_EQ(valueOf("[A]\r\nk=\"\r\n", "A", "k"), "\"");
    EXPECT_EQ(valueOf("[A]\r\n\"k\"=v\r\n", "A", "k"), std::nullopt);  // names are never unquoted
}

TEST(ProfileReading, SemicolonStartsACommentOnlyAtTheLineStart) {
    EXPECT_EQ(valueOf("[A]\r\n;k=1\r\n  ;k=2\r\nk=v ;x\r\n", "A", "k"), "v ;x");
    EXPECT_EQ(valueOf("[A]\r\n#k=1\r\n", "A", "#k"), "1");
}

TEST(ProfileReading, TheFirstOfDuplicateKeysAndSectionsWins) {
    EXPECT_EQ(valueOf("[A]\r\nk=1\r\nk=2\r\n", "A", "k"), "1");
    EXPECT_EQ(valueOf("[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\nj=3\r\n", "A", "k"), "1");
    EXPECT_EQ(valueOf("[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\nj=3\r\n", "A", "j"), std::nullopt);
}

TEST(ProfileReading, EntriesBeforeTheFirstSectionCannotBeRead) {
    EXPECT_EQ(valueOf("k=1\r\n[A]\r\nj=2\r\n", "A", "k"), std::nullopt);
    EXPECT_EQ(valueOf("k=1\r\n", "", "k"), std::nullopt);
}

TEST(ProfileReading, CrLfLfAndCrLineEndsAllParse) {
    EXPECT_EQ(valueOf("[A]\r\nk=1\r\n[B]\r\nk=2", "B", "k"), "2");
    EXPECT_EQ(valueOf("[A]\nk=1\n[B]\nk=2\n", "B", "k"), "2");
    EXPECT_EQ(valueOf("[A]\rk=1\r[B]\rk=2\r", "B", "k"), "2");
    EXPECT_EQ(valueOf("[A]\rk=1\n[B]\r\nk=2", "A", "k"), "1");
}

TEST(ProfileReading, AUtf8ByteOrderMarkHidesAHeaderOnTheFirstLine) {
    EXPECT_EQ(valueOf("\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k"), std::nullopt);
}

// ---------------------------------------------------------------------------------------------
// CP932 double-byte characters whose trail byte looks like ASCII

TEST(ProfileCodePage, TrailBytesAreNeverTakenForBracketsOrFolded) {
    const std::string hyouka = ToAnsiCodePage(QStringLiteral("評価")).toStdString();
    EXPECT_EQ(valueOf("[" + hyouka + "]\r\nk=v\r\n", hyouka, "k"), "v");

    const std::string zoon = ToAnsiCodePage(QStringLiteral("ゾーン")).toStdString();
    ASSERT_EQ(zoon.substr(0, 2), "\x83\x5D");  // ゾ ends in the byte of ']'
    EXPECT_EQ(valueOf("[" + zoon + "]\r\nk=v\r\n", zoon, "k"), "v");

    const std::string in = ToAnsiCodePage(QStringLiteral("陰")).toStdString();
    const std::string esa = ToAnsiCodePage(QStringLiteral("餌")).toStdString();
    ASSERT_EQ(in, "\x89\x41");
    ASSERT_EQ(esa, "\x89\x61");
    EXPECT_EQ(valueOf("[A]\r\n" + in + "=1\r\n", "A", esa), std::nullopt);
    EXPECT_EQ(valueOf("[A]\r\n" + in + "=1\r\n" + esa + "=2\r\n", "A", esa), "2");
}

TEST(ProfileCodePage, ConversionUsesCp932AndWritesUnmappableCharactersAsQuestionMarks) {
    EXPECT_EQ(ToAnsiCodePage(QStringLiteral("表")), QByteArray("\x95\x5C"));
    EXPECT_EQ(ToAnsiCodePage(QStringLiteral("C:\\temp~")), QByteArray("C:\\temp~"));
    EXPECT_EQ(ToAnsiCodePage(QStringLiteral("a\u00E9b\U0001F600c")), QByteArray("a?b?c"));
    EXPECT_EQ(FromAnsiCodePage(QByteArray("\x95\x5C\x83\x5D")), QStringLiteral("表ゾ"));
    // A value cut inside a double-byte character loses the half character only.
    EXPECT_EQ(FromAnsiCodePage(QByteArray("ab\x95")), QStringLiteral("ab"));
}

TEST_F(ProfileFile, Cp932NamesAndValuesSurviveAWriteAndReadByteForByte) {
    const QByteArray section = ToAnsiCodePage(QStringLiteral("ゾーン"));
    const QByteArray key = ToAnsiCodePage(QStringLiteral("陰"));
    const QByteArray value = ToAnsiCodePage(QStringLiteral("表示ソフト"));
    ASSERT_TRUE(WritePrivateProfileStringA(section.constData(), key.constData(), value.constData(),
                                           path()));
    ASSERT_TRUE(WritePrivateProfileStringA(section.constData(), "\x89\x61", "other", path()));
    EXPECT_EQ(readString(section.constData(), key.constData(), "", path()), value.toStdString());
    EXPECT_EQ(bytesOf(path()), "[" + section.toStdString() + "]\r\n" + key.toStdString() + "=" +
                                   value.toStdString() + "\r\n\x89\x61=other\r\n");
}

// ---------------------------------------------------------------------------------------------
// Reading through the functions

TEST_F(ProfileFile, StringReadsFallBackToTheDefaultWithoutItsTrailingSpaces) {
    EXPECT_EQ(readString("A", "k", "def  ", path()), "def");  // no file
    writeBytes(path(), "[A]\r\nk=stored\r\n");
    EXPECT_EQ(readString("B", "k", " d\t ", path()), " d\t");  // no section
    EXPECT_EQ(readString("A", "j", "d", path()), "d");         // no key
    EXPECT_EQ(readString("A", "k", "d", path()), "stored");
}

TEST_F(ProfileFile, StringReadsCopyAtMostOneByteLessThanTheBuffer) {
    writeBytes(path(), "[A]\r\nk=" + std::string(300, 'v') + "\r\n");
    EXPECT_EQ(readString("A", "k", "", path()), std::string(254, 'v'));
    EXPECT_EQ(readString("A", "k", "", path(), 4), "vvv");
    EXPECT_EQ(readString("A", "none", "default", path(), 4), "def");
}

TEST_F(ProfileFile, IntReadsTakeTheNumberTheValueBeginsWith) {
    writeBytes(path(),
               "[A]\r\nreal=9.75\r\ntext=abc\r\nmixed=12abc\r\nneg=-42\r\nquoted=\" 7 \"\r\n"
               "empty=\r\nhuge=4294967301\r\nplus=+3\r\n");
    const auto get = [&](const char* key, std::int32_t def = -99) {
        return static_cast<std::int32_t>(GetPrivateProfileIntA("A", key, def, path()));
    };
    EXPECT_EQ(get("real"), 9);
    EXPECT_EQ(get("text"), 0);
    EXPECT_EQ(get("mixed"), 12);
    EXPECT_EQ(get("neg"), -42);
    EXPECT_EQ(get("quoted"), 7);
    EXPECT_EQ(get("empty"), 0);
    EXPECT_EQ(get("huge"), 5);  // wraps modulo 2^32
    EXPECT_EQ(get("plus"), 3);
    EXPECT_EQ(get("missing"), -99);
    EXPECT_EQ(static_cast<std::int32_t>(GetPrivateProfileIntA("B", "real", 17, path())), 17);
}

TEST_F(ProfileFile, AFileThatCannotBeReadGivesTheDefaults) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.ini")));
    EXPECT_EQ(readString("A", "k", "d", path(QStringLiteral("folder.ini"))), "d");
    EXPECT_EQ(GetPrivateProfileIntA("A", "k", 3, path(QStringLiteral("folder.ini"))), 3u);
}

// ---------------------------------------------------------------------------------------------
// Writing

TEST_F(ProfileFile, ANewFileIsWrittenAsTheSystemWritesIt) {
    ASSERT_TRUE(WritePrivateProfileStringA("Other", "WaitTime", "5", path()));
    EXPECT_EQ(bytesOf(path()), "[Other]\r\nWaitTime=5\r\n");
}

TEST_F(ProfileFile, NewKeysGoAfterTheLastEntryAndNewSectionsAtTheEnd) {
    writeBytes(path(), "; head\r\n[A]\r\nk=1\r\nx\r\n\r\n; tail of A\r\n[B]\r\nj=2");
    ASSERT_TRUE(WritePrivateProfileStringA("a", "new", "n", path()));
    ASSERT_TRUE(WritePrivateProfileStringA("C", "c", "3", path()));
    ASSERT_TRUE(WritePrivateProfileStringA("B", "j2", "4", path()));
    EXPECT_EQ(bytesOf(path()),
              "; head\r\n[A]\r\nk=1\r\nnew=n\r\nx\r\n\r\n; tail of A\r\n[B]\r\nj=2\r\n"
              "j2=4\r\n[C]\r\nc=3\r\n");
}

TEST_F(ProfileFile, AKeyInASectionWithoutEntriesGoesRightAfterTheHeader) {
    writeBytes(path(), "[A]\n; only a comment\n");
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "v", path()));
    EXPECT_EQ(bytesOf(path()), "[A]\nk=v\r\n; only a comment\n");
}

TEST_F(ProfileFile, AnExistingKeyIsChangedInPlaceKeepingItsSpellingAndLineEnd) {
    writeBytes(path(), "[a]\n  WAITtime = 5 \ntail=1\n[A]\nWaitTime=9\n");
    ASSERT_TRUE(WritePrivateProfileStringA("A", "WaitTime", "7", path()));
    EXPECT_EQ(bytesOf(path()), "[a]\n  WAITtime=7\ntail=1\n[A]\nWaitTime=9\n");
}

TEST_F(ProfileFile, WritingTheValueAFileAlreadyHoldsLeavesTheFileUntouched) {
    const std::string original = "[A]\r\nk = \"same\"  \r\n";
    writeBytes(path(), original);
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "same", path()));
    EXPECT_EQ(bytesOf(path()), original);
}

TEST_F(ProfileFile, ValuesThatReadingWouldTrimOrUnquoteAreQuotedAndComeBackExactly) {
    for (const char* value : {" lead", "trail\t", "\"quoted\"", "'single'", "  ", "\"", "a\"b"}) {
        ASSERT_TRUE(WritePrivateProfileStringA("A", "k", value, path())) << value;
        EXPECT_EQ(readString("A", "k", "", path()), value);
    }
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "plain value", path()));
    EXPECT_EQ(bytesOf(path()), "[A]\r\nk=plain value\r\n");
}

TEST_F(ProfileFile, NamesAndValuesThatWouldBreakTheFileAreRefused) {
    writeBytes(path(), "[A]\r\nk=1\r\n");
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "two\r\nlines", path()));
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "cr\ronly", path()));
    EXPECT_FALSE(WritePrivateProfileStringA("A]", "k", "v", path()));
    EXPECT_FALSE(WritePrivateProfileStringA("A\n", "k", "v", path()));
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k=", "v", path()));
    EXPECT_FALSE(WritePrivateProfileStringA("A", "[k", "v", path()));
    EXPECT_FALSE(WritePrivateProfileStringA("A", ";k", "v", path()));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", path()));
    EXPECT_EQ(bytesOf(path()), "[A]\r\nk=1\r\n");
    // ゾ's trail byte is not a ']'.
    EXPECT_TRUE(WritePrivateProfileStringA("\x83\x5D", "k", "v", path()));
}

TEST_F(ProfileFile, DeletingAKeyKeepsItsSectionAndDeletingASectionTakesItsLines) {
    writeBytes(path(), "[A]\r\nk=1\r\nj=2\r\n[B]\r\n; b\r\nx=3\r\n[C]\r\ny=4\r\n[b]\r\nz=5\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("a", "K", nullptr, path()));
    ASSERT_TRUE(WritePrivateProfileStringA("b", nullptr, nullptr, path()));
    EXPECT_EQ(bytesOf(path()), "[A]\r\nj=2\r\n[C]\r\ny=4\r\n[b]\r\nz=5\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("A", "j", nullptr, path()));
    EXPECT_EQ(bytesOf(path()), "[A]\r\n[C]\r\ny=4\r\n[b]\r\nz=5\r\n");
}

TEST(ProfileWriting, DeletingALineBetweenMixedLineEndsKeepsTheLinesAroundIt) {
    std::string file = "[A]\rk=1\n\nj=2\n";
    ASSERT_TRUE(profile_bytes::DeleteEntry(file, "A", "k"));
    EXPECT_EQ(file, "[A]\n\nj=2\n");
}

TEST_F(ProfileFile, DeletingWhatDoesNotExistSucceedsAndCreatesNothing) {
    EXPECT_TRUE(WritePrivateProfileStringA("A", "k", nullptr, path()));
    EXPECT_TRUE(WritePrivateProfileStringA("A", nullptr, nullptr, path()));
    EXPECT_FALSE(QFile::exists(path()));
    writeBytes(path(), "[A]\r\nk=1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("B", nullptr, nullptr, path()));
    EXPECT_TRUE(WritePrivateProfileStringA("A", "j", nullptr, path()));
    EXPECT_EQ(bytesOf(path()), "[A]\r\nk=1\r\n");
}

// ---------------------------------------------------------------------------------------------
// Failing writes

TEST_F(ProfileFile, AWriteInterruptedBeforeTheRenameLeavesTheOldFileIntact) {
    writeBytes(path(), "[A]\r\nk=old\r\n");
    const FaultyFileWriter crash(FaultyFileWriter::Fault::StopBeforeRename);
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "new", path(), crash));
    EXPECT_EQ(bytesOf(path()), "[A]\r\nk=old\r\n");
    const FaultyFileWriter fullDisk(FaultyFileWriter::Fault::FailWhileWriting);
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "new", path(), fullDisk));
    EXPECT_EQ(bytesOf(path()), "[A]\r\nk=old\r\n");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("s.ini")});  // no temporary file left behind
    EXPECT_TRUE(WritePrivateProfileStringA("A", "k", "new", path()));
    EXPECT_EQ(bytesOf(path()), "[A]\r\nk=new\r\n");
}

TEST_F(ProfileFile, AWriteToAFolderThatCannotBeWrittenReportsFailure) {
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "v", kUnwritableFile));
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "v", path(QStringLiteral("no/such.ini"))));
}

TEST_F(ProfileFile, AFileThatExistsButCannotBeReadIsNeverReplaced) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.ini")));
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "v", path(QStringLiteral("folder.ini"))));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("folder.ini"))).isDir());
}

TEST_F(ProfileFile, AWriteThroughASymbolicLinkReplacesTheLinkedFileAndKeepsItsMode) {
    writeBytes(path(QStringLiteral("real.ini")), "[A]\r\nk=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(path(QStringLiteral("real.ini")),
                                      QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("real.ini")), path(QStringLiteral("link.ini"))));
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "2", path(QStringLiteral("link.ini"))));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("link.ini"))).isSymLink());
    EXPECT_EQ(bytesOf(path(QStringLiteral("real.ini"))), "[A]\r\nk=2\r\n");
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(path(QStringLiteral("real.ini")).toStdString()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace stylorex
