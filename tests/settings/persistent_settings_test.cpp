#include "settings/persistent_settings.h"

#include "os/program_folder.h"
#include "settings/ini_profile.h"
#include "tests/support/faulty_file_writer.h"
#include "tests/support/permission_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace stylorex {
namespace {

// The seven values every save writes; the others keep their defaults.
SettingVariables Values(std::int32_t pattern, std::int32_t black, std::int32_t white,
                        std::int32_t scan, std::int16_t wait, std::int16_t height,
                        std::int16_t width) {
    SettingVariables values;
    values.PickUpPattern = pattern;
    values.BlackUpper = black;
    values.WhiteUpper = white;
    values.ScanPattern = scan;
    values.WaitTime = wait;
    values.CanvasHeight = height;
    values.CanvasWidth = width;
    return values;
}

// The main window's two settings held by controls, and a log of what the load did to them, so
// that the order against the two yields shows.
class FakeControls : public SettingsControls {
  public:
    explicit FakeControls(const SettingVariables* settings = nullptr) : settings_(settings) {
        font_.setFamily(QStringLiteral("IPAGothic"));
        font_.setPointSizeF(9);
    }
    QString inputText() const override { return text_; }
    void setInputText(const QString& text) override {
        text_ = text;
        log.push_back(QStringLiteral("text"));
    }
    QFont pictureFont() const override { return font_; }
    void setPictureFont(const QFont& font) override {
        font_ = font;
        log.push_back(QStringLiteral("font"));
    }
    bool fontTransparent() const override { return transparent_; }
    void setFontTransparent(bool on) override {
        transparent_ = on;
        log.push_back(QStringLiteral("transparent"));
    }
    void processEvents() override {
        log.push_back(QStringLiteral("yield"));
        if (settings_ != nullptr) {
            seenAtYield.push_back(*settings_);
        }
    }

    QStringList log;
    std::vector<SettingVariables> seenAtYield;
    QString text_ = QStringLiteral("before load");
    QFont font_;
    bool transparent_ = false;

  private:
    const SettingVariables* settings_;
};

QByteArray cp932(const QString& text) {
    return ToAnsiCodePage(text);
}

class Settings : public ::testing::Test {
  protected:
    void writeFile(const QByteArray& bytes) {
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray fileBytes() const {
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // A load into fresh variables and controls.
    SettingVariables load(FakeControls& controls) {
        SettingVariables settings;
        LoadSettings(settings, controls, path_);
        return settings;
    }

    QTemporaryDir dir_;
    const QString path_ = dir_.filePath(QStringLiteral("stylorex.ini"));
};

TEST_F(Settings, AFirstStartTakesTheDefaultsAndItsSaveWritesAllEighteenKeys) {
    FakeControls controls;
    const SettingVariables settings = load(controls);
    EXPECT_EQ(settings.PickUpPattern, 1);
    EXPECT_EQ(settings.BlackUpper, 80);
    EXPECT_EQ(settings.WhiteUpper, 240);
    EXPECT_EQ(settings.ScanPattern, 1);
    EXPECT_EQ(settings.WaitTime, 5);
    EXPECT_EQ(settings.CanvasHeight, 200);
    EXPECT_EQ(settings.CanvasWidth, 200);
    EXPECT_EQ(settings.PenWidth, 1);  // and, being the default, not written below
    EXPECT_EQ(controls.text_, QStringLiteral("文字"));
    EXPECT_EQ(controls.font_.family(), QStringLiteral("IPAGothic"));  // Name missing: kept
    EXPECT_FALSE(QFile::exists(path_));

    ASSERT_TRUE(SaveSettings(settings, controls, path_));
    EXPECT_EQ(fileBytes(),
              "[PickUpPattern]\r\nPattern=1\r\nBlackUpper=80\r\nWhiteUpper=240\r\n"
              "[Font]\r\nItalic=0\r\nBold=0\r\nName=IPAGothic\r\nSize=9\r\n"
              "Strikethru=0\r\nUnderline=0\r\nTransparent=0\r\n"
              "[Other]\r\nLastText=" +
                  cp932(QStringLiteral("文字")) +
                  "\r\nScanPattern=1\r\nWaitTime=5\r\nCanvasHeight=200\r\n"
                  "CanvasWidth=200\r\nFollowTarget=1\r\nJoinRuns=0\r\nSmoothScaling=0\r\n");
}

TEST_F(Settings, ARestartReadsBackWhatTheSaveWrote) {
    SettingVariables saved{2,   100, 230,   3,    12,
                           480, 600, false, true, QStringLiteral("/home/user/絵/家.png"),
                           -20, 35,  640,   520};
    saved.SmoothScaling = true;
    saved.PenWidth = 4;
    FakeControls before;
    before.font_.setFamily(QStringLiteral("IPAPGothic"));
    before.font_.setPointSizeF(10.5);
    before.font_.setBold(true);
    before.font_.setUnderline(true);
    before.transparent_ = true;
    before.text_ = QStringLiteral("一行のテキスト");
    ASSERT_TRUE(SaveSettings(saved, before, path_));
    EXPECT_TRUE(fileBytes().contains("\r\nSize=10.5\r\n"));
    EXPECT_TRUE(fileBytes().contains("\r\nBold=-1\r\n"));
    EXPECT_TRUE(fileBytes().contains("\r\nJoinRuns=1\r\nPenWidth=4\r\n"));

    FakeControls after;
    const SettingVariables loaded = load(after);
    EXPECT_EQ(loaded.PickUpPattern, 2);
    EXPECT_EQ(loaded.BlackUpper, 100);
    EXPECT_EQ(loaded.WhiteUpper, 230);
    EXPECT_EQ(loaded.ScanPattern, 3);
    EXPECT_EQ(loaded.WaitTime, 12);
    EXPECT_EQ(loaded.CanvasHeight, 480);
    EXPECT_EQ(loaded.CanvasWidth, 600);
    EXPECT_EQ(loaded.LastPicture, saved.LastPicture);
    EXPECT_EQ(QRect(loaded.WindowLeft, loaded.WindowTop, loaded.WindowWidth, loaded.WindowHeight),
              QRect(-20, 35, 640, 520));
    EXPECT_FALSE(loaded.FollowTarget);
    EXPECT_TRUE(loaded.JoinRuns);
    EXPECT_TRUE(loaded.SmoothScaling);
    EXPECT_EQ(loaded.PenWidth, 4);
    EXPECT_EQ(after.font_.family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(after.font_.pointSizeF(), 10.0);  // the whole part only
    EXPECT_TRUE(after.font_.bold());
    EXPECT_TRUE(after.font_.underline());
    EXPECT_FALSE(after.font_.italic());
    EXPECT_FALSE(after.font_.strikeOut());
    EXPECT_TRUE(after.transparent_);
    EXPECT_EQ(after.text_, QStringLiteral("一行のテキスト"));
}

TEST_F(Settings, TheLoadYieldsTwiceAndStopsAtAnEmptyFontName) {
    writeFile("[PickUpPattern]\r\nPattern=2\r\n[Other]\r\nWaitTime=3\r\n[Font]\r\nBold=-1\r\n");
    SettingVariables settings;
    FakeControls controls(&settings);
    LoadSettings(settings, controls, path_);
    EXPECT_EQ(controls.log, (QStringList{QStringLiteral("yield"), QStringLiteral("text"),
                                         QStringLiteral("yield")}));
    ASSERT_EQ(controls.seenAtYield.size(), 2u);
    // The first yield sees the extraction settings read, the rest still unread.
    EXPECT_EQ(controls.seenAtYield[0].PickUpPattern, 2);
    EXPECT_EQ(controls.seenAtYield[0].WaitTime, 0);
    EXPECT_EQ(controls.seenAtYield[1].WaitTime, 3);
    EXPECT_FALSE(controls.font_.bold());
    // A file whose only entries are these: everything else takes its default.
    EXPECT_EQ(settings.BlackUpper, 80);
    EXPECT_EQ(settings.CanvasWidth, 200);
    EXPECT_EQ(controls.text_, QStringLiteral("文字"));
}

TEST_F(Settings, NumbersAndFlagsReadAsTheirLeadingInteger) {
    writeFile(
        "[PickUpPattern]\r\nBlackUpper=abc\r\n[Other]\r\nWaitTime=7.9\r\nLastText=\r\n"
        "[Font]\r\nName=IPAGothic\r\nSize=9.75\r\nItalic=5\r\nBold=0\r\n"
        "Underline=x\r\n");
    FakeControls controls;
    controls.font_.setBold(true);
    const SettingVariables settings = load(controls);
    EXPECT_EQ(settings.BlackUpper, 0);  // not the default
    EXPECT_EQ(settings.WaitTime, 7);
    EXPECT_EQ(controls.text_, QString());  // present and empty
    EXPECT_EQ(controls.font_.pointSizeF(), 9.0);
    EXPECT_TRUE(controls.font_.italic());  // any value but 0 sets a flag
    EXPECT_FALSE(controls.font_.bold());
    EXPECT_FALSE(controls.font_.underline());
    EXPECT_EQ(controls.log.back(), QStringLiteral("transparent"));
}

TEST_F(Settings, ValuesOutOfRangeInAHandEditedFileTakeTheDefault) {
    writeFile(
        "[PickUpPattern]\r\nPattern=3\r\n[Other]\r\nWaitTime=70000\r\nCanvasHeight=0\r\n"
        "CanvasWidth=65736\r\n[Font]\r\nName=IPAGothic\r\nSize=0\r\n");
    FakeControls controls;
    SettingVariables settings = load(controls);
    EXPECT_EQ(settings.PickUpPattern, 1);
    EXPECT_EQ(settings.WaitTime, 5);  // not 70000 cut to 16 bits (4464)
    EXPECT_EQ(settings.CanvasHeight, 200);
    EXPECT_EQ(settings.CanvasWidth, 200);         // not 200 by the wrap of 65736
    EXPECT_EQ(controls.font_.pointSizeF(), 9.0);  // a size of 0 keeps the font's size

    writeFile(
        "[PickUpPattern]\r\nPattern=-1\r\n[Other]\r\nWaitTime=-5\r\nCanvasHeight=-300\r\n"
        "CanvasWidth=32767\r\n[Font]\r\nName=IPAGothic\r\n");
    settings = load(controls);
    EXPECT_EQ(settings.PickUpPattern, 1);
    EXPECT_EQ(settings.WaitTime, 5);
    EXPECT_EQ(settings.CanvasHeight, 200);
    EXPECT_EQ(settings.CanvasWidth, 200);         // more than the canvas takes from a file
    EXPECT_EQ(controls.font_.pointSizeF(), 9.0);  // a missing Size reads as 0

    // Numbers beyond 32 bits or too long to read are not wrapped or cut to some number in range;
    // the keys beside them keep their values.
    writeFile(
        "[PickUpPattern]\r\nBlackUpper=4294967396\r\nWhiteUpper=230\r\n[Other]\r\n"
        "WaitTime=4294967298\r\nCanvasWidth=1e308\r\nCanvasHeight=" +
        QByteArray(400, '9') + "\r\nScanPattern=2\r\n");
    settings = load(controls);
    EXPECT_EQ(settings.BlackUpper, 80);  // not 100
    EXPECT_EQ(settings.WhiteUpper, 230);
    EXPECT_EQ(settings.WaitTime, 5);       // not 2
    EXPECT_EQ(settings.CanvasWidth, 200);  // not 1
    EXPECT_EQ(settings.CanvasHeight, 200);
    EXPECT_EQ(settings.ScanPattern, 2);

    writeFile("[PickUpPattern]\r\nPattern=2\r\n[Other]\r\nWaitTime=0\r\n");
    settings = load(controls);
    EXPECT_EQ(settings.PickUpPattern, 2);
    EXPECT_EQ(settings.WaitTime, 0);
    EXPECT_TRUE(settings.FollowTarget);  // missing: on

    writeFile("[Other]\r\nFollowTarget=0\r\n");
    EXPECT_FALSE(load(controls).FollowTarget);  // a file that turned it off keeps the fixed wait
}

TEST_F(Settings, LongTextsComeBackWhole) {
    SettingVariables saved;
    saved.LastPicture =
        QStringLiteral("/home/user/") + QString(300, QChar(0x7D75)) + QStringLiteral(".png");
    FakeControls before;
    before.text_ = QString(300, QChar(0x8868));  // 600 bytes in the file
    ASSERT_TRUE(SaveSettings(saved, before, path_));
    ASSERT_TRUE(fileBytes().contains(cp932(before.text_)));

    FakeControls after;
    EXPECT_EQ(load(after).LastPicture, saved.LastPicture);
    EXPECT_EQ(after.text_, before.text_);
}

TEST_F(Settings, MultiLineTextsComeBackExactlyAndNoLineBreakReachesTheFile) {
    const SettingVariables settings = Values(1, 80, 240, 1, 5, 200, 200);
    for (const QString& text :
         {QStringLiteral("表\nC:\\temp"), QStringLiteral("two\r\nlines\r\n"),
          QStringLiteral("C:\\new\\n and \\\\ and \\r\nx"), QStringLiteral("\\:starts like it"),
          QStringLiteral("ends with a backslash\\"), QStringLiteral("\n"),
          QStringLiteral("  blanks and \"quotes\"  "), QStringLiteral("\"quoted\"")}) {
        FakeControls before;
        before.text_ = text;
        ASSERT_TRUE(SaveSettings(settings, before, path_));
        const QByteArray bytes = fileBytes();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
        EXPECT_EQ(bytes.count('\n'), 21);  // the three headers and eighteen entries only
        FakeControls after;
        load(after);
        EXPECT_EQ(after.text_, text);
    }
}

TEST_F(Settings, PlainTextsAreStoredAsTheyAreAndOldPlainValuesReadUnchanged) {
    FakeControls before;
    before.text_ = QStringLiteral("C:\\temp\\new 表");
    ASSERT_TRUE(SaveSettings(SettingVariables{}, before, path_));
    EXPECT_TRUE(fileBytes().contains("\r\nLastText=" + cp932(before.text_) + "\r\n"));

    // A text that reads as a number beyond 32 bits is saved like any other.
    before.text_ = QStringLiteral("99999999999");
    ASSERT_TRUE(SaveSettings(SettingVariables{}, before, path_));
    EXPECT_TRUE(fileBytes().contains("\r\nLastText=99999999999\r\n"));

    writeFile("[Other]\r\nLastText=C:\\new\\r\\\\x\r\n");
    FakeControls after;
    load(after);
    EXPECT_EQ(after.text_, QStringLiteral("C:\\new\\r\\\\x"));
}

TEST_F(Settings, AWindowsWrittenFileReadsRightAndASaveKeepsEveryLineItNeedNotChange) {
    const QByteArray name = cp932(QStringLiteral("ＭＳ ゴシック"));
    const QByteArray text = cp932(QStringLiteral("表示ソフト"));
    const QByteArray original =
        "; settings of the drawing tool\r\n"
        "[pickuppattern]\r\n"
        "pattern=2\r\n"
        "BLACKUPPER = 100\r\n"
        "; the white threshold\r\n"
        "WhiteUpper=\"230\"\r\n"
        "Extra=keep me\r\n"
        "\r\n"
        "[FONT]\r\n"
        "Name=\"" +
        name +
        "\"\r\n"
        "Size=10.5\r\n"
        "Bold=-1\r\n"
        "italic=0\r\n"
        "Underline=1\r\n"
        "Strikethru=0\r\n"
        "Transparent=-1\r\n"
        "[Other]\r\n"
        "LastText=" +
        text +
        "\r\n"
        "WaitTime=3\r\n"
        "CanvasHeight=300\r\n"
        "CanvasWidth=400\r\n"
        "; no ScanPattern yet\r\n"
        "[Unknown]\r\n"
        "Foo=Bar\r\n";
    writeFile(original);

    FakeControls controls;
    SettingVariables settings = load(controls);
    EXPECT_EQ(settings.PickUpPattern, 2);
    EXPECT_EQ(settings.BlackUpper, 100);
    EXPECT_EQ(settings.WhiteUpper, 230);
    EXPECT_EQ(settings.ScanPattern, 1);
    EXPECT_EQ(settings.WaitTime, 3);
    EXPECT_EQ(settings.CanvasHeight, 300);
    EXPECT_EQ(settings.CanvasWidth, 400);
    EXPECT_EQ(controls.font_.family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(controls.font_.pointSizeF(), 10.0);
    EXPECT_TRUE(controls.font_.bold());
    EXPECT_TRUE(controls.font_.underline());
    EXPECT_FALSE(controls.font_.italic());
    EXPECT_TRUE(controls.transparent_);
    EXPECT_EQ(controls.text_, QStringLiteral("表示ソフト"));

    settings.WaitTime = 7;
    ASSERT_TRUE(SaveSettings(settings, controls, path_));
    // Size comes back as its whole part, a flag of 1 is written as -1, the wait changed and
    // ScanPattern and the run's modes were missing: those lines change, every other byte stays.
    QByteArray expected = original;
    expected.replace("Size=10.5\r\n", "Size=10\r\n");
    expected.replace("Underline=1\r\n", "Underline=-1\r\n");
    expected.replace("WaitTime=3\r\n", "WaitTime=7\r\n");
    expected.replace("CanvasWidth=400\r\n",
                     "CanvasWidth=400\r\nScanPattern=1\r\nFollowTarget=1\r\nJoinRuns=0\r\n"
                     "SmoothScaling=0\r\n");
    EXPECT_EQ(fileBytes(), expected);
}

TEST_F(Settings, ASaveThatCannotBeWrittenReportsFailureAndKeepsTheOldFile) {
    writeFile("[Other]\r\nWaitTime=3\r\n");
    FakeControls controls;
    EXPECT_FALSE(SaveSettings(Values(1, 80, 240, 1, 7, 200, 200), controls, path_,
                              FaultyFileWriter(FaultyFileWriter::Fault::StopBeforeRename)));
    EXPECT_EQ(fileBytes(), QByteArray("[Other]\r\nWaitTime=3\r\n"));
    EXPECT_FALSE(SaveSettings(SettingVariables{}, controls,
                              QStringLiteral("/proc/stylorex-settings-test.ini")));
}

// A writer whose first replace goes through and every later one fails: a save that wrote its
// entries one by one would leave the file with the first of them changed only.
class FailsAfterOneReplace : public AtomicFileWriter {
  protected:
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        return renames_++ == 0 && AtomicFileWriter::rename(from, to);
    }

  private:
    mutable int renames_ = 0;
};

TEST_F(Settings, ASaveReplacesTheFileOnceWithEveryEntry) {
    writeFile("[Other]\r\nWaitTime=3\r\n");
    FakeControls controls;
    const SettingVariables saved = Values(2, 90, 250, 2, 7, 300, 400);
    ASSERT_TRUE(SaveSettings(saved, controls, path_, FailsAfterOneReplace()));
    const QByteArray once = fileBytes();
    writeFile("[Other]\r\nWaitTime=3\r\n");
    ASSERT_TRUE(SaveSettings(saved, controls, path_));
    EXPECT_EQ(once, fileBytes());
    EXPECT_TRUE(once.contains("\r\nPattern=2\r\n") && once.contains("\r\nCanvasWidth=400\r\n"));
}

// The child saves while this process kills it at a random moment, a hundred times over. The
// kills fall anywhere from before the save starts to after it ends.
TEST_F(Settings, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNewOneNeverAMix) {
    const QByteArray old =
        "; kept as it is\r\n[PickUpPattern]\r\nPattern=2\r\nBlackUpper=70\r\nWhiteUpper=200\r\n"
        "[Font]\r\nItalic=-1\r\nBold=0\r\nName=IPAPGothic\r\nSize=12\r\nStrikethru=-1\r\n"
        "Underline=0\r\nTransparent=-1\r\n[Other]\r\nLastText=old\r\nScanPattern=2\r\n"
        "WaitTime=3\r\nCanvasHeight=300\r\nCanvasWidth=300\r\n";
    const SettingVariables next = Values(1, 90, 250, 1, 9, 480, 600);
    FakeControls controls;
    controls.text_ = QStringLiteral("新しい文字");
    controls.font_.setBold(true);
    controls.font_.setUnderline(true);
    writeFile(old);
    ASSERT_TRUE(SaveSettings(next, controls, path_));
    const QByteArray fresh = fileBytes();
    for (const QByteArray& line : old.split('\n')) {
        if (line.contains('=')) {
            EXPECT_FALSE(fresh.contains(line + '\n')) << line.constData() << " is not saved anew";
        }
    }

    const auto saveInAChild = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(SaveSettings(next, controls, path_) ? 0 : 1);
        }
        return child;
    };
    // How long a whole save takes in a child here, so that the kills spread over all of it.
    auto longest = std::chrono::microseconds(0);
    for (int i = 0; i < 5; ++i) {
        writeFile(old);
        const auto started = std::chrono::steady_clock::now();
        const pid_t child = saveInAChild();
        ASSERT_GT(child, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        longest = std::max(longest, std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - started));
    }

    std::mt19937 random(13);
    std::uniform_int_distribution<long long> delay(0, longest.count());
    for (int cycle = 0; cycle < 100; ++cycle) {
        writeFile(old);
        const pid_t child = saveInAChild();
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
        const QByteArray after = fileBytes();
        ASSERT_TRUE(after == old || after == fresh) << "cycle " << cycle << ":\n"
                                                    << after.constData();
    }
}

// ---------------------------------------------------------------------------------------------
// Where the file lives

class SettingsLocation : public ::testing::Test {
  protected:
    void SetUp() override {
        programFolder_ = program_.path();
        savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    }
    void TearDown() override {
        ::chmod(QFile::encodeName(program_.path()).constData(), 0700);
        if (savedConfigHome_.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", savedConfigHome_);
        }
    }
    // Makes the program folder read-only; as root, whom permissions do not stop, a folder of
    // the kernel's that nobody can write stands in for it.
    void makeProgramFolderReadOnly() {
        ::chmod(QFile::encodeName(program_.path()).constData(), 0500);
        QFile probe(program_.filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            programFolder_ = QStringLiteral("/proc");
        }
    }

    QTemporaryDir program_;
    QString programFolder_;
    QTemporaryDir config_;
    QByteArray savedConfigHome_;
    const QString name_ = ProgramBaseName() + QStringLiteral(".ini");
};

TEST_F(SettingsLocation, AWritableProgramFolderHoldsTheFileNamedAfterTheExecutable) {
    EXPECT_EQ(SettingsFilePath(programFolder_), JoinPath(program_.path(), name_));
    EXPECT_EQ(QDir(program_.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(SettingsLocation, AReadOnlyProgramFolderSendsTheSettingsToThePerUserFolder) {
    makeProgramFolderReadOnly();
    const QString path = SettingsFilePath(programFolder_);
    EXPECT_EQ(path, config_.filePath(QStringLiteral("stylorex/") + name_));

    FakeControls before;
    before.text_ = QStringLiteral("saved per user");
    ASSERT_TRUE(SaveSettings(Values(2, 80, 240, 1, 6, 300, 400), before, path));

    // The next start looks in the same place and finds them.
    ASSERT_EQ(SettingsFilePath(programFolder_), path);
    FakeControls after;
    SettingVariables loaded;
    LoadSettings(loaded, after, SettingsFilePath(programFolder_));
    EXPECT_EQ(loaded.PickUpPattern, 2);
    EXPECT_EQ(loaded.WaitTime, 6);
    EXPECT_EQ(loaded.CanvasWidth, 400);
    EXPECT_EQ(after.text_, QStringLiteral("saved per user"));
}

// Installed by the package in /usr/bin, the program keeps its settings per user, also for root.
TEST_F(SettingsLocation, ThePackagedProgramFolderSendsTheSettingsToThePerUserFolder) {
    EXPECT_EQ(SettingsFilePath(QStringLiteral("/usr/bin/")),
              config_.filePath(QStringLiteral("stylorex/") + name_));
}

TEST_F(SettingsLocation, WithoutXdgConfigHomeThePerUserFolderIsInTheHomeFolder) {
    makeProgramFolderReadOnly();
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFilePath(programFolder_),
              JoinPath(QDir::homePath(), QStringLiteral(".config/stylorex/") + name_));
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(SettingsFilePath(programFolder_),
              JoinPath(QDir::homePath(), QStringLiteral(".config/stylorex/") + name_));
}

TEST_F(SettingsLocation, AWriteProtectedSettingsFileIsNotReplacedButSavedPerUser) {
    const QString beside = JoinPath(program_.path(), name_);
    {
        QFile file(beside);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Other]\r\nWaitTime=3\r\n");
    }
    ASSERT_TRUE(QFile::setPermissions(beside, QFile::ReadOwner));
    if (QFileInfo(beside).isWritable()) {
        GTEST_SKIP() << "permissions do not stop this user";
    }
    EXPECT_EQ(SettingsFilePath(programFolder_),
              config_.filePath(QStringLiteral("stylorex/") + name_));
}

// The program folder read-only for a while: the file beside the program is read all the same,
// the changes go to the per-user file, and once the folder can be written again the per-user
// file, saved last, is the one read.
TEST_F(SettingsLocation, TheFileSavedLastIsReadWhereverTheSaveCouldWriteIt) {
    const QString beside = JoinPath(program_.path(), name_);
    const QString perUser = config_.filePath(QStringLiteral("stylorex/") + name_);
    {
        QFile file(beside);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Other]\r\nWaitTime=3\r\n");
    }
    std::filesystem::last_write_time(
        QFile::encodeName(beside).toStdString(),
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    const auto loadFrom = [](const QString& path) {
        FakeControls controls;
        SettingVariables settings;
        LoadSettings(settings, controls, path);
        return settings;
    };
    FakeControls controls;
    {
        test::PermissionBitsApply permissions;
        ::chmod(QFile::encodeName(program_.path()).constData(), 0500);
        if (FolderAcceptsFiles(program_.path())) {
            GTEST_SKIP() << "permissions do not stop this user";
        }
        ASSERT_EQ(SettingsFileToRead(programFolder_), beside);
        SettingVariables settings = loadFrom(beside);
        EXPECT_EQ(settings.WaitTime, 3);
        settings.WaitTime = 6;
        ASSERT_EQ(SettingsFilePath(programFolder_), perUser);
        ASSERT_TRUE(SaveSettings(settings, controls, perUser));
        ::chmod(QFile::encodeName(program_.path()).constData(), 0700);
    }

    ASSERT_EQ(SettingsFileToRead(programFolder_), perUser);
    SettingVariables settings = loadFrom(perUser);
    EXPECT_EQ(settings.WaitTime, 6);
    settings.WaitTime = 8;
    ASSERT_EQ(SettingsFilePath(programFolder_), beside);
    ASSERT_TRUE(SaveSettings(settings, controls, beside));
    ASSERT_EQ(SettingsFileToRead(programFolder_), beside);
    EXPECT_EQ(loadFrom(beside).WaitTime, 8);
}

}  // namespace
}  // namespace stylorex
