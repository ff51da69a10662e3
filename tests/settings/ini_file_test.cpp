#include "settings/ini_file.h"

#include "os/program_folder.h"
#include "settings/ini_profile.h"

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
    writeFile("[Other]\r\nK=5\r\n");
    ini_.Section(QStringLiteral("Other"));
    ini_.Key(QStringLiteral("K"));
    ASSERT_EQ(ini_.lngValue(), 5);
    ASSERT_TRUE(QFile::remove(path_));
    ini_.Section(QStringLiteral("Other"));
    EXPECT_EQ(ini_.strValue(), QString());
    EXPECT_EQ(ini_.lngValue(), 0);
    EXPECT_FALSE(QFile::exists(path_));
}

TEST_F(IniFile, EmptyPositionArgumentsStandForTheCurrentOnesAndNeverChangeThem) {
    writeFile("[S]\r\nK=current\r\n");
    const QString other = dir_.filePath(QStringLiteral("other.ini"));
    {
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[T]\r\nJ=7\r\nK=other\r\n");
    }
    ini_.Section(QStringLiteral("S"));
    ini_.Key(QStringLiteral("K"));
    EXPECT_EQ(ini_.GetStrValue({}, {}, {}), QStringLiteral("current"));
    EXPECT_EQ(ini_.GetIntValue(other, QStringLiteral("T"), QStringLiteral("J")), 7);
    EXPECT_EQ(ini_.GetStrValue(other, QStringLiteral("T"), {}), QStringLiteral("other"));
    EXPECT_EQ(ini_.GetStrValue(other, {}, {}, QStringLiteral("none")), QStringLiteral("none"));
    EXPECT_EQ(ini_.PathIniFile(), path_);
    EXPECT_EQ(ini_.Section(), QStringLiteral("S"));
    EXPECT_EQ(ini_.Key(), QStringLiteral("K"));
}

TEST_F(IniFile, WritesGoToTheCurrentEntryAndHeldWritesReachTheFileOnlyAtCommit) {
    ini_.Section(QStringLiteral("Other"));
    ini_.Key(QStringLiteral("WaitTime"));
    EXPECT_TRUE(ini_.SetValue(std::int32_t{12}));
    EXPECT_EQ(ini_.strValue(), QStringLiteral("12"));
    EXPECT_EQ(ini_.lngValue(), 12);
    for (const auto& [text, number] : {std::pair{"abc", 0}, {"2.5", 2}, {"3.5", 4}}) {
        EXPECT_TRUE(ini_.SetValue(QString::fromLatin1(text), {}, {}, QStringLiteral("T")));
        EXPECT_EQ(ini_.lngValue(), number) << text;
    }
    ini_.Value(9.75f);
    ini_.strValue(QStringLiteral("kept"));
    EXPECT_TRUE(ini_.SetValue(std::int32_t{1}, {}, QStringLiteral("Gone"), QStringLiteral("K")));
    EXPECT_TRUE(ini_.DeleteKey({}, {}, QStringLiteral("T")));
    EXPECT_EQ(ini_.lngValue(), 0);
    EXPECT_TRUE(ini_.DeleteSection({}, QStringLiteral("Gone")));
    EXPECT_TRUE(ini_.DeleteSection({}, QStringLiteral("Never there")));
    EXPECT_FALSE(ini_.SetValue(QStringLiteral("a\nb")));
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[Other]\r\nWaitTime=kept\r\n"));
    file.close();

    ini_.HoldWrites();
    ini_.lngValue(5);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[Other]\r\nWaitTime=kept\r\n"));
    file.close();
    EXPECT_TRUE(ini_.Commit());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[Other]\r\nWaitTime=5\r\n"));
}

}  // namespace
}  // namespace stylorex
