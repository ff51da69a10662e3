#include "settings/ini_file.h"

#include "os/program_folder.h"
#include "settings/ini_profile.h"
#include "tests/support/faulty_file_writer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

class IniFile : public ::testing::Test {
  protected:
    IniFile() { ini_.PathIniFile(path_); }

    void writeFile(const QByteArray& bytes) {
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray fileBytes() const {
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir_;
    const QString path_ = dir_.filePath(QStringLiteral("s.ini"));
    clsIniFile ini_;
};

TEST(IniFileObject, StartsAtTheProgramFoldersIniFileAndReadsNothing) {
    const clsIniFile ini;
    EXPECT_EQ(ini.PathIniFile(), ProgramFolder() + ProgramBaseName() + QStringLiteral(".ini"));
    EXPECT_EQ(ini.Section(), QString());
    EXPECT_EQ(ini.Key(), QString());
    EXPECT_EQ(ini.strValue(), QString());
    EXPECT_EQ(ini.lngValue(), 0);
}

TEST(IniTextForms, IntegersInDecimalAndRealsWithSevenSignificantDigits) {
    EXPECT_EQ(IniTextForm(std::int32_t{-12}), QStringLiteral("-12"));
    EXPECT_EQ(IniTextForm(std::int16_t{32767}), QStringLiteral("32767"));
    EXPECT_EQ(IniTextForm(9.75f), QStringLiteral("9.75"));
    EXPECT_EQ(IniTextForm(12.0f), QStringLiteral("12"));
    EXPECT_EQ(IniTextForm(10.5f), QStringLiteral("10.5"));
    EXPECT_EQ(IniTextForm(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(IniTextForm(1.2345678f), QStringLiteral("1.234568"));
    EXPECT_EQ(IniTextForm(-0.0f), QStringLiteral("0"));
    EXPECT_EQ(IniTextForm(QStringLiteral(" as is ")), QStringLiteral(" as is "));
    EXPECT_EQ(IniTextForm(std::monostate{}), std::nullopt);
}

TEST_F(IniFile, StringReadsGiveTheDefaultOnlyWhenTheKeyIsMissing) {
    writeFile("[Other]\r\nWaitTime=5\r\n");
    EXPECT_EQ(ini_.GetStrValue({}, QStringLiteral("Other"), QStringLiteral("LastText"),
                               QStringLiteral("文字")),
              QStringLiteral("文字"));
    writeFile("[Other]\r\nLastText=\r\n");
    EXPECT_EQ(ini_.GetStrValue({}, QStringLiteral("Other"), QStringLiteral("LastText"),
                               QStringLiteral("文字")),
              QString());
}

TEST_F(IniFile, AStoredValueOf300CharactersComesBackAsItsFirst254Bytes) {
    writeFile("[S]\r\nK=" + QByteArray(300, 'a') + "\r\n");
    EXPECT_EQ(ini_.GetStrValue({}, QStringLiteral("S"), QStringLiteral("K")),
              QString(254, QLatin1Char('a')));
    // A cut inside a double-byte character drops that half character.
    writeFile("[S]\r\nK=a" + ToAnsiCodePage(QString(150, QChar(0x8868))) + "\r\n");
    EXPECT_EQ(ini_.GetStrValue({}, QStringLiteral("S"), QStringLiteral("K")),
              QStringLiteral("a") + QString(126, QChar(0x8868)));
}

TEST_F(IniFile, IntReadsTakeTheLeadingNumberAndTheDefaultOnlyForAMissingKey) {
    writeFile("[S]\r\nreal=9.75\r\ntext=abc\r\nmixed=12abc\r\nempty=\r\nneg=-7\r\n");
    ini_.Section(QStringLiteral("S"));
    EXPECT_EQ(ini_.GetIntValue({}, {}, QStringLiteral("real"), 99), 9);
    EXPECT_EQ(ini_.GetIntValue({}, {}, QStringLiteral("text"), 99), 0);
    EXPECT_EQ(ini_.GetIntValue({}, {}, QStringLiteral("mixed"), 99), 12);
    EXPECT_EQ(ini_.GetIntValue({}, {}, QStringLiteral("empty"), 99), 0);
    EXPECT_EQ(ini_.GetIntValue({}, {}, QStringLiteral("neg"), 99), -7);
    EXPECT_EQ(ini_.GetIntValue({}, {}, QStringLiteral("missing"), 99), 99);
    EXPECT_EQ(
        ini_.GetIntValue(dir_.filePath(QStringLiteral("none.ini")), {}, QStringLiteral("real"), 42),
        42);
}

TEST_F(IniFile, SetValueWritesTheCurrentEntryAndCachesItsTextAndNumber) {
    ini_.Section(QStringLiteral("Other"));
    ini_.Key(QStringLiteral("WaitTime"));
    EXPECT_TRUE(ini_.SetValue(std::int32_t{12}));
    EXPECT_EQ(fileBytes(), QByteArray("[Other]\r\nWaitTime=12\r\n"));
    EXPECT_EQ(ini_.strValue(), QStringLiteral("12"));
    EXPECT_EQ(ini_.lngValue(), 12);
}

TEST_F(IniFile, SetValueRoundsTextNumbersHalfToEvenAndLeavesZeroForWords) {
    ini_.Section(QStringLiteral("S"));
    ini_.Key(QStringLiteral("K"));
    const auto numberAfter = [&](const char* text) {
        EXPECT_TRUE(ini_.SetValue(QString::fromLatin1(text))) << text;
        EXPECT_EQ(ini_.strValue(), QString::fromLatin1(text));
        return ini_.lngValue();
    };
    EXPECT_EQ(numberAfter("abc"), 0);
    EXPECT_EQ(numberAfter("2.5"), 2);
    EXPECT_EQ(numberAfter("3.5"), 4);
    EXPECT_EQ(numberAfter("-2.5"), -2);
    EXPECT_EQ(numberAfter("2.6"), 3);
    EXPECT_EQ(numberAfter("nan"), 0);
    ini_.SetValue(9.75f);
    EXPECT_EQ(ini_.strValue(), QStringLiteral("9.75"));
    EXPECT_EQ(ini_.lngValue(), 10);
}

TEST_F(IniFile, SetValueFailsForAValueWithoutTextFormOrANumberBeyond32Bits) {
    ini_.Section(QStringLiteral("S"));
    ini_.Key(QStringLiteral("K"));
    EXPECT_FALSE(ini_.SetValue(std::monostate{}));
    EXPECT_FALSE(QFile::exists(path_));
    EXPECT_FALSE(ini_.SetValue(QStringLiteral("3000000000")));
    // The entry is written before the number is found too large.
    EXPECT_EQ(ini_.GetStrValue({}, {}, {}), QStringLiteral("3000000000"));
    EXPECT_EQ(ini_.strValue(), QStringLiteral("3000000000"));
}

TEST_F(IniFile, WritesThatCannotBeDoneReturnFalse) {
    ini_.PathIniFile(QStringLiteral("/proc/stylorex-ini-file-test.ini"));
    ini_.Section(QStringLiteral("S"));
    EXPECT_FALSE(ini_.SetValue(QStringLiteral("v"), {}, {}, QStringLiteral("K")));
    // The cache holds the value all the same, as the callers expect.
    EXPECT_EQ(ini_.strValue(), QStringLiteral("v"));
    EXPECT_FALSE(ini_.SetValue(QStringLiteral("two\nlines"), path_, {}, QStringLiteral("K")));
    EXPECT_FALSE(QFile::exists(path_));

    writeFile("[S]\r\nK=1\r\n");
    const FaultyFileWriter crash(FaultyFileWriter::Fault::StopBeforeRename);
    clsIniFile crashing(crash);
    crashing.Section(QStringLiteral("S"));
    EXPECT_FALSE(crashing.DeleteKey(path_, {}, QStringLiteral("K")));
    EXPECT_FALSE(crashing.DeleteSection(path_, {}));
    EXPECT_EQ(fileBytes(), QByteArray("[S]\r\nK=1\r\n"));
}

TEST_F(IniFile, WritingPositionPropertiesReReadsTheCache) {
    writeFile("[A]\r\nk=2.5x\r\n[B]\r\nk=text\r\n");
    ini_.Section(QStringLiteral("A"));
    ini_.Key(QStringLiteral("k"));
    EXPECT_EQ(ini_.strValue(), QStringLiteral("2.5x"));
    EXPECT_EQ(ini_.lngValue(), 2);
    ini_.Section(QStringLiteral("B"));
    EXPECT_EQ(ini_.strValue(), QStringLiteral("text"));
    EXPECT_EQ(ini_.lngValue(), 0);
    ini_.Key(QStringLiteral("missing"));
    EXPECT_EQ(ini_.strValue(), QString());
    ini_.Key(QStringLiteral("k"));
    ini_.PathIniFile(dir_.filePath(QStringLiteral("other.ini")));
    EXPECT_EQ(ini_.strValue(), QString());
}

TEST_F(IniFile, WritingSectionOnAMissingFileClearsTheCacheAndCreatesNothing) {
    ini_.Key(QStringLiteral("K"));
    ini_.lngValue(5);  // writes the current entry: section empty
    ASSERT_TRUE(QFile::remove(path_));
    ini_.Section(QStringLiteral("Other"));
    EXPECT_EQ(ini_.strValue(), QString());
    EXPECT_EQ(ini_.lngValue(), 0);
    EXPECT_FALSE(QFile::exists(path_));
}

TEST_F(IniFile, ValuePropertiesWriteTheCurrentEntry) {
    ini_.Section(QStringLiteral("S"));
    ini_.Key(QStringLiteral("K"));
    ini_.strValue(QStringLiteral("表示ソフト"));
    EXPECT_EQ(ini_.GetStrValue({}, {}, {}), QStringLiteral("表示ソフト"));
    ini_.lngValue(-3);
    EXPECT_EQ(ini_.GetIntValue({}, {}, {}), -3);
    ini_.Value(3.5f);
    EXPECT_EQ(ini_.strValue(), QStringLiteral("3.5"));
    EXPECT_EQ(ini_.lngValue(), 4);
    ini_.Value(QStringLiteral("abc"));
    EXPECT_EQ(ini_.lngValue(), 0);
    EXPECT_EQ(ini_.GetStrValue({}, {}, {}), QStringLiteral("abc"));
    ini_.Value(std::monostate{});  // no text form: an empty value is written
    EXPECT_EQ(ini_.strValue(), QString());
    EXPECT_EQ(fileBytes(), QByteArray("[S]\r\nK=\r\n"));
}

TEST_F(IniFile, DeletesClearTheCacheAndSucceedForWhatIsMissing) {
    writeFile("[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=3\r\n");
    ini_.Section(QStringLiteral("A"));
    ini_.Key(QStringLiteral("k"));
    EXPECT_TRUE(ini_.DeleteKey({}, {}, {}));
    EXPECT_EQ(ini_.strValue(), QString());
    EXPECT_EQ(ini_.lngValue(), 0);
    EXPECT_TRUE(ini_.DeleteSection({}, QStringLiteral("B")));
    EXPECT_EQ(fileBytes(), QByteArray("[A]\r\nj=2\r\n"));
    EXPECT_TRUE(ini_.DeleteSection({}, QStringLiteral("NoSuchSection")));
    EXPECT_TRUE(ini_.DeleteKey(dir_.filePath(QStringLiteral("none.ini")), {}, {}));
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("none.ini"))));
}

TEST_F(IniFile, EmptyPositionArgumentsNeverChangeThePosition) {
    ini_.Section(QStringLiteral("S"));
    ini_.Key(QStringLiteral("K"));
    const QString other = dir_.filePath(QStringLiteral("other.ini"));
    ini_.SetValue(std::int32_t{1}, other, QStringLiteral("T"), QStringLiteral("J"));
    ini_.SetValue(std::int32_t{2}, {}, {}, {});
    ini_.GetStrValue({}, {}, {});
    ini_.GetIntValue(other, {}, QStringLiteral("J"));
    ini_.DeleteKey({}, QStringLiteral("T"), {});
    ini_.DeleteSection({}, {});
    EXPECT_EQ(ini_.PathIniFile(), path_);
    EXPECT_EQ(ini_.Section(), QStringLiteral("S"));
    EXPECT_EQ(ini_.Key(), QStringLiteral("K"));
    // The explicit position went to the other file; the empty ones to the current entry.
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[T]\r\nJ=1\r\n"));
    EXPECT_EQ(fileBytes(), QByteArray());
}

}  // namespace
}  // namespace stylorex
