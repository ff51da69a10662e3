// The command line's arguments: what each option sets, and how wrong arguments end the program
// (one line saying what is wrong, a hint to --help, exit code 2) before anything is opened.
#include "cli/command_line.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace stylorex {
namespace {

QStringList Args(std::initializer_list<const char*> arguments) {
    QStringList list{QStringLiteral("stylorex")};
    for (const char* argument : arguments) {
        list << QString::fromUtf8(argument);
    }
    return list;
}

struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};

std::string ReadBack(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file)) {
        text.append(buffer, n);
    }
    std::fclose(file);
    return text;
}

Ran RunProgram(const QStringList& arguments) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Ran ran;
    ran.code = RunCommandLine(arguments, out, err);
    ran.out = ReadBack(out);
    ran.err = ReadBack(err);
    return ran;
}

TEST(CommandLine, NoArgumentsOpenTheWindow) {
    EXPECT_EQ(ParseCommandLine(Args({})).kind, CommandLine::Kind::Window);
}

TEST(CommandLine, EveryDrawOptionIsRead) {
    const CommandLine line = ParseCommandLine(
        Args({"draw",    "pic.png", "--at",     "-12,34",         "--delay", "2.5",
              "--wait",  "7",       "--mode",   "nonwhite",       "--black", "90",
              "--white", "256",     "--follow", "--no-join-runs", "--crop",  "--plan-image",
              "p.png",   "--json",  "--yes",    "--pen",          "5",       "--check",
              "tolerant"}));
    ASSERT_EQ(line.kind, CommandLine::Kind::Draw) << line.error.toStdString();
    const DrawOptions& d = line.draw;
    EXPECT_EQ(d.picture, QStringLiteral("pic.png"));
    EXPECT_EQ(d.at, QPoint(-12, 34));
    EXPECT_FALSE(d.atPointer);
    EXPECT_DOUBLE_EQ(d.delaySeconds, 2.5);
    EXPECT_EQ(d.waitMs, 7);
    EXPECT_EQ(d.mode, 2);
    EXPECT_EQ(d.black, 90);
    EXPECT_EQ(d.white, 256);
    EXPECT_EQ(d.follow, true);
    EXPECT_EQ(d.joinRuns, false);
    EXPECT_TRUE(d.crop);
    EXPECT_TRUE(d.plan) << "--plan-image shows the plan and moves nothing";
    EXPECT_EQ(d.planImage, QStringLiteral("p.png"));
    EXPECT_TRUE(d.json);
    EXPECT_TRUE(d.yes);
    EXPECT_EQ(d.penWidth, 5);
    EXPECT_EQ(d.check, CheckChoice::Tolerant);
}

TEST(CommandLine, SettingsNotGivenStayEmptyForTheSavedOnes) {
    const CommandLine line =
        ParseCommandLine(Args({"draw", "pic.png", "--at=pointer", "--mode=dark"}));
    ASSERT_EQ(line.kind, CommandLine::Kind::Draw) << line.error.toStdString();
    EXPECT_TRUE(line.draw.atPointer);
    EXPECT_FALSE(line.draw.at.has_value());
    EXPECT_EQ(line.draw.mode, 1);
    EXPECT_FALSE(line.draw.waitMs.has_value());
    EXPECT_FALSE(line.draw.black.has_value());
    EXPECT_FALSE(line.draw.white.has_value());
    EXPECT_FALSE(line.draw.follow.has_value());
    EXPECT_FALSE(line.draw.joinRuns.has_value());
    EXPECT_FALSE(line.draw.penWidth.has_value());
    EXPECT_FALSE(line.draw.check.has_value());
    EXPECT_FALSE(line.draw.plan);
    EXPECT_FALSE(line.draw.crop);
    EXPECT_FALSE(line.draw.fit);
    EXPECT_TRUE(ParseCommandLine(Args({"draw", "pic.png", "--at=1,2", "--fit"})).draw.fit);
}

// Colour: --palette draws in the palette's inks unless a one-ink mode is given with it.
TEST(CommandLine, ColourOptionsAreReadAndAPaletteRulesOutAOneInkMode) {
    const CommandLine line =
        ParseCommandLine(Args({"draw", "pic.png", "--at", "1,2", "--palette", "swatches.txt",
                               "--dither", "fs", "--background", "#102030", "--within", "60.5"}));
    ASSERT_EQ(line.kind, CommandLine::Kind::Draw) << line.error.toStdString();
    EXPECT_EQ(line.draw.colour, true);
    EXPECT_EQ(line.draw.paletteFile, QStringLiteral("swatches.txt"));
    EXPECT_EQ(line.draw.dithering, Dithering::ErrorDiffusion);
    EXPECT_EQ(line.draw.background, qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(line.draw.withinSeconds, 60.5);
    const CommandLine saved = ParseCommandLine(Args({"draw", "pic.png", "--at", "1,2"}));
    EXPECT_FALSE(saved.draw.colour.has_value());
    EXPECT_FALSE(saved.draw.dithering.has_value());
    EXPECT_EQ(
        ParseCommandLine(Args({"draw", "pic.png", "--at", "1,2", "--mode", "colour"})).draw.colour,
        true);

    for (const QStringList& wrong :
         {Args({"draw", "pic.png", "--at", "1,2", "--palette", "p.txt", "--mode", "dark"}),
          Args({"draw", "pic.png", "--at", "1,2", "--dither", "random"}),
          Args({"draw", "pic.png", "--at", "1,2", "--background", "white"}),
          Args({"draw", "pic.png", "--at", "1,2", "--within", "0"})}) {
        const Ran ran = RunProgram(wrong);
        EXPECT_EQ(ran.code, exit_code::kUsage) << wrong.join(QLatin1Char(' ')).toStdString();
    }
}

TEST(CommandLine, HelpAndVersionEndWithZero) {
    const Ran help = RunProgram(Args({"--help"}));
    EXPECT_EQ(help.code, exit_code::kDone);
    for (const char* part : {"--at",
                             "--delay",
                             "--wait",
                             "--mode",
                             "--black",
                             "--white",
                             "--crop",
                             "--fit",
                             "--follow",
                             "--join-runs",
                             "--plan-image",
                             "--json",
                             "--yes",
                             "--palette",
                             "--dither",
                             "--background",
                             "--within",
                             "--pen",
                             "--check auto|exact|tolerant",
                             "終了コード"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    const Ran version = RunProgram(Args({"draw", "--version"}));
    EXPECT_EQ(version.code, exit_code::kDone);
    EXPECT_EQ(version.out.rfind("Stylorex ", 0), 0u) << version.out;
    EXPECT_TRUE(version.err.empty());
}

// The program as started from a shell: English when LANGUAGE or LANG names it, or the settings
// beside the program choose it; Japanese otherwise (C included).
TEST(CommandLine, TheProgramSpeaksTheLanguageItsEnvironmentOrSettingsChoose) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("stylorex"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(STYLOREX_PROGRAM), program));
    const QRegularExpression japanese(QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"));
    const auto run = [&](const QStringList& arguments, const QString& language,
                         const QString& lang) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANGUAGE"), language);
        environment.insert(QStringLiteral("LANG"), lang);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    };
    const QStringList help{QStringLiteral("--help")};
    const QStringList refused{QStringLiteral("draw"), dir.filePath(QStringLiteral("gone.png")),
                              QStringLiteral("--at"), QStringLiteral("1,1")};
    for (const QStringList& arguments : {help, refused}) {
        const QString english = run(arguments, QStringLiteral("en"), QStringLiteral("C"));
        EXPECT_GT(english.size(), 20) << english.toStdString();
        EXPECT_FALSE(english.contains(japanese)) << english.toStdString();
        EXPECT_TRUE(run(arguments, QString(), QStringLiteral("C")).contains(japanese));
        EXPECT_FALSE(run(arguments, QString(), QStringLiteral("en_GB.UTF-8")).contains(japanese));
    }
    QFile settings(dir.filePath(QStringLiteral("stylorex.ini")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Other]\nLanguage=2\n");
    settings.close();
    EXPECT_FALSE(run(refused, QString(), QStringLiteral("C")).contains(japanese));
}

TEST(CommandLine, WrongArgumentsSayWhatIsWrongAndExitWithTwo) {
    const std::string hint = HelpHint().toStdString();
    const struct {
        QStringList arguments;
        const char* says;
    } cases[] = {
        {Args({"draw", "pic.png", "--at", "12"}), "--at には X,Y"},
        {Args({"draw", "pic.png", "--at", "a,b"}), "（指定: a,b）"},
        {Args({"draw", "pic.png", "--at", "1,2,3"}), "（指定: 1,2,3）"},
        {Args({"draw", "pic.png", "--at", "1,2", "--wait", "9"}), "--wait には 0 から 7 まで"},
        {Args({"draw", "pic.png", "--at", "1,2", "--wait", "1.5"}), "--wait には 0 から 7 まで"},
        {Args({"draw", "pic.png", "--at", "1,2", "--mode", "light"}),
         "--mode には dark か nonwhite"},
        {Args({"draw", "pic.png", "--at", "1,2", "--black", "256"}),
         "--black には 0 から 255 まで"},
        {Args({"draw", "pic.png", "--at", "1,2", "--white", "-1"}), "--white には 0 から 256 まで"},
        {Args({"draw", "pic.png", "--at", "1,2", "--delay", "soon"}), "--delay には"},
        {Args({"draw", "pic.png", "--at", "1,2", "--pen", "0"}), "--pen には 1 から 32 まで"},
        {Args({"draw", "pic.png", "--at", "1,2", "--pen", "33"}), "--pen には 1 から 32 まで"},
        {Args({"draw", "pic.png", "--at", "1,2", "--check", "loose"}),
         "--check には auto か exact か tolerant"},
        {Args({"draw", "pic.png"}), "--at で描画の原点を指定してください"},
        {Args({"draw", "--at", "1,2"}), "描画する画像ファイルを指定してください"},
        {Args({"draw", "pic.png", "--at", "1,2", "--speed", "3"}), "不明なオプションです: --speed"},
        {Args({"draw", "pic.png", "--at"}), "--at には値が必要です"},
        {Args({"draw", "pic.png", "--at", "1,2", "--crop=yes"}), "--crop は値を取りません"},
        {Args({"draw", "pic.png", "--at", "1,2", "--crop", "--fit"}),
         "--crop と --fit は同時に指定できません"},
        {Args({"draw", "pic.png", "--at", "1,2", "--follow", "--no-follow"}),
         "--follow と --no-follow は同時に指定できません"},
        {Args({"paint", "pic.png"}), "不明なコマンドです: paint"},
        {Args({"pic.png"}), "不明なコマンドです: pic.png"},
        {Args({"draw", "a.png", "b.png", "--at", "1,2"}), "余分な引数があります: b.png"},
    };
    for (const auto& c : cases) {
        const std::string arguments = c.arguments.join(QLatin1Char(' ')).toStdString();
        const Ran ran = RunProgram(c.arguments);
        EXPECT_EQ(ran.code, exit_code::kUsage) << arguments;
        EXPECT_NE(ran.err.find(c.says), std::string::npos) << arguments << "\n" << ran.err;
        EXPECT_NE(ran.err.find(hint), std::string::npos) << arguments << "\n" << ran.err;
        EXPECT_TRUE(ran.out.empty()) << arguments;
    }
}

TEST(CommandLine, APictureThatCannotBeReadIsAFailureNotAUsageError) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("missing.png"));
    const Ran ran =
        RunProgram({QStringLiteral("stylorex"), QStringLiteral("draw"), missing,
                    QStringLiteral("--at"), QStringLiteral("1,2"), QStringLiteral("--plan")});
    EXPECT_EQ(ran.code, exit_code::kFailed);
    EXPECT_NE(ran.err.find("画像ファイルがありません"), std::string::npos) << ran.err;
}

}  // namespace
}  // namespace stylorex
