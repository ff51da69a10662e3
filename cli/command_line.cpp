#include "cli/command_line.h"

#include "cli/draw_command.h"
#include "common/program_message.h"
#include "common/setting_limits.h"
#include "common/version.h"
#include "engine/palette.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace stylorex {

namespace {

const QString kDrawCommand = QStringLiteral("draw");
const QString kPointer = QStringLiteral("pointer");

// The longest delay taken.
constexpr double kLongestDelaySeconds = 3600;
// Thresholds: every channel at or below `black` is dark; at or above `white` is white (256:
// nothing is white).
constexpr int kHighestBlack = 255;
constexpr int kHighestWhite = 256;

// The options, in the order --help lists them. The help text is made from these.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QCoreApplication::translate("CommandLine", "この説明を表示します。")};
    QCommandLineOption version{
        QStringLiteral("version"),
        QCoreApplication::translate("CommandLine", "バージョンを表示します。")};
    QCommandLineOption at{
        QStringLiteral("at"),
        QCoreApplication::translate(
            "CommandLine",
            "描画の原点（画像の左上のピクセルが来る画面上の座標）。"
            "pointer: 描画を始めるときのマウスポインタの位置（位置を読めない Wayland では使え"
            "ません）。"),
        QStringLiteral("X,Y|pointer")};
    QCommandLineOption delay{
        QStringLiteral("delay"),
        QCoreApplication::translate("CommandLine",
                                    "描画を始める前に待つ秒数（描画先のウィンドウへ"
                                    "切り替えるため）。端末にカウントダウンを表示します。"),
        QCoreApplication::translate("CommandLine", "秒")};
    QCommandLineOption wait{
        QStringLiteral("wait"),
        QCoreApplication::translate("CommandLine",
                                    "1 ピクセル進むごとのウェイト（0〜7 ミリ秒）。"
                                    "既定: 保存された設定。"),
        QCoreApplication::translate("CommandLine", "ミリ秒")};
    QCommandLineOption mode{
        QStringLiteral("mode"),
        QCoreApplication::translate("CommandLine",
                                    "線の抽出モード。dark: 暗いピクセル、nonwhite: 白以外の"
                                    "ピクセル、colour: 保存されたパレットの色で描きます"
                                    "（カラー）。既定: 保存された設定。"),
        QStringLiteral("dark|nonwhite|colour")};
    QCommandLineOption black{
        QStringLiteral("black"),
        QCoreApplication::translate("CommandLine",
                                    "dark モードのしきい値（0〜255）: 3 色ともこの値以下の"
                                    "ピクセルが線です。既定: 保存された設定。"),
        QStringLiteral("N")};
    QCommandLineOption white{
        QStringLiteral("white"),
        QCoreApplication::translate("CommandLine",
                                    "nonwhite モードの白（0〜256）: 3 色ともこの値以上の"
                                    "ピクセルが白です。既定: 保存された設定。"),
        QStringLiteral("N")};
    QCommandLineOption follow{
        QStringLiteral("follow"),
        QCoreApplication::translate("CommandLine",
                                    "追従モード: 固定のウェイトの代わりに、描画先の画面に"
                                    "線が現れるのを待ちます。既定: 保存された設定。")};
    QCommandLineOption noFollow{
        QStringLiteral("no-follow"),
        QCoreApplication::translate("CommandLine",
                                    "追従モードを使わず、固定のウェイトで描画します。")};
    QCommandLineOption joinRuns{
        QStringLiteral("join-runs"),
        QCoreApplication::translate("CommandLine",
                                    "まっすぐな部分はその端へ 1 回で動かします（つないで"
                                    "線を引く描画先向け）。既定: 保存された設定。")};
    QCommandLineOption noJoinRuns{
        QStringLiteral("no-join-runs"),
        QCoreApplication::translate("CommandLine", "1 ピクセルずつ動かします。")};
    QCommandLineOption pen{
        QStringLiteral("pen"),
        QCoreApplication::translate("CommandLine",
                                    "描画先のペンの太さ（1〜32 ピクセル）。2 以上では、線の中心"
                                    "と太さの間隔の塗りだけをなぞり、確認はその半分の"
                                    "ずれを許します。既定: 保存された設定。"),
        QStringLiteral("N")};
    QCommandLineOption check{
        QStringLiteral("check"),
        QCoreApplication::translate("CommandLine",
                                    "描画後の確認。exact: 1 ピクセルも違わないこと、tolerant: "
                                    "ペンの半径（1 ピクセル以上）以内のずれと薄いにじみを許す、"
                                    "auto: ペンが 1 ピクセルなら exact、太ければ tolerant"
                                    "（既定）。"),
        QStringLiteral("auto|exact|tolerant")};
    QCommandLineOption palette{
        QStringLiteral("palette"),
        QCoreApplication::translate(
            "CommandLine",
            "描画先のパレットのファイル（1 行に 1 つのスウォッチ: 「X,Y」か"
            "「X,Y #RRGGBB」。色のない行は画面のその位置の色）。画像をその色に減色し、"
            "色ごとにスウォッチをクリックしてから描きます（カラー）。"),
        QStringLiteral("FILE")};
    QCommandLineOption dither{
        QStringLiteral("dither"),
        QCoreApplication::translate("CommandLine",
                                    "カラーの減色のディザ。none: なし、ordered: 組織的"
                                    "（4×4）、fs: 誤差拡散。既定: 保存された設定。"),
        QStringLiteral("none|ordered|fs")};
    QCommandLineOption background{
        QStringLiteral("background"),
        QCoreApplication::translate("CommandLine",
                                    "描画先の背景色（カラー）。この色に近いピクセル"
                                    "は描きません。既定: 保存された設定（白）。"),
        QStringLiteral("#RRGGBB")};
    QCommandLineOption within{QStringLiteral("within"),
                              QCoreApplication::translate(
                                  "CommandLine",
                                  "カラーで描く時間の上限: 計画の推定でこの秒数に収まる分だけ、長い"
                                  "ストロークから描きます。省く分は --plan に表示されます。"),
                              QCoreApplication::translate("CommandLine", "秒")};
    QCommandLineOption crop{
        QStringLiteral("crop"),
        QCoreApplication::translate("CommandLine",
                                    "600 × 480 より大きい画像の左上 600 × 480 を描画します"
                                    "（ウィンドウに表示される部分）。付けなければ、大きい"
                                    "画像は描画しません。")};
    QCommandLineOption fit{
        QStringLiteral("fit"),
        QCoreApplication::translate("CommandLine",
                                    "600 × 480 より大きい画像を、縦横比を保ったまま 600 × 480 に"
                                    "収まるよう縮小して描画します（線を残す縮小。ウィンドウの"
                                    "「画像に合わせて読み込む」と同じ）。")};
    QCommandLineOption plan{
        QStringLiteral("plan"),
        QCoreApplication::translate("CommandLine",
                                    "何も動かさずに計画を表示します: ストローク数、ストローク"
                                    "内の移動数、線のピクセル数、ウェイトによる推定時間、"
                                    "画面上の範囲。")};
    QCommandLineOption planImage{
        QStringLiteral("plan-image"),
        QCoreApplication::translate("CommandLine",
                                    "計画を PNG 画像に書きます: 各ストロークを描く順に"
                                    "青から赤への色で、薄くした元画像の上に。--plan "
                                    "を含みます。"),
        QStringLiteral("FILE.png")};
    QCommandLineOption json{
        QStringLiteral("json"),
        QCoreApplication::translate("CommandLine",
                                    "結果（または計画）を 1 つの JSON オブジェクトとして"
                                    "標準出力に書きます。")};
    QCommandLineOption yes{
        QStringLiteral("yes"),
        QCoreApplication::translate("CommandLine",
                                    "Esc キーで描画を止められない環境（キーを監視できない "
                                    "Wayland コンポジタ）でも、確かめずに描画します。その"
                                    "環境では、付けなければ端末で確かめ、標準入力が端末で"
                                    "なければ描画しません。")};

    std::vector<const QCommandLineOption*> all() const {
        return {&help,  &version, &at,      &delay,     &wait,       &mode,
                &black, &white,   &follow,  &noFollow,  &joinRuns,   &noJoinRuns,
                &pen,   &check,   &palette, &dither,    &background, &within,
                &crop,  &fit,     &plan,    &planImage, &json,       &yes};
    }
};

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// Columns the text takes on a terminal: Japanese characters take two.
qsizetype terminalWidth(const QString& text) {
    qsizetype width = 0;
    for (const QChar c : text) {
        width += c.unicode() >= 0x1100 ? 2 : 1;
    }
    return width;
}

QString optionSynopsis(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names()) {
        names << dashed(name);
    }
    QString synopsis = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty()) {
        synopsis += QLatin1Char(' ') + option.valueName();
    }
    return synopsis;
}

// What QCommandLineParser refused, in the program's words: an unknown option, an option
// without the value it needs, or a value given to an option that takes none.
QString parseFailure(const QCommandLineParser& parser, const QStringList& arguments,
                     const Options& options) {
    if (!parser.unknownOptionNames().isEmpty()) {
        QStringList names;
        for (const QString& name : parser.unknownOptionNames()) {
            names << dashed(name);
        }
        return QCoreApplication::translate("CommandLine", "不明なオプションです: %1")
            .arg(names.join(QStringLiteral(", ")));
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1Char('-'))) {
            continue;
        }
        QString name = argument.section(QLatin1Char('='), 0, 0);
        while (name.startsWith(QLatin1Char('-'))) {
            name.remove(0, 1);
        }
        for (const QCommandLineOption* option : options.all()) {
            if (!option->names().contains(name)) {
                continue;
            }
            if (option->valueName().isEmpty() && argument.contains(QLatin1Char('='))) {
                return QCoreApplication::translate("CommandLine", "%1 は値を取りません")
                    .arg(dashed(name));
            }
            if (!option->valueName().isEmpty() && !argument.contains(QLatin1Char('=')) &&
                i + 1 == arguments.size()) {
                return QCoreApplication::translate("CommandLine", "%1 には値が必要です（%2）")
                    .arg(dashed(name), option->valueName());
            }
        }
    }
    return parser.errorText();
}

// A whole decimal number in `lowest`..`highest`, as the window's number fields take them.
std::optional<int> wholeNumber(const QString& text, int lowest, int highest) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

// A draw option's value: what it must be, in words, and how it is read into the options (false
// when the value is refused).
struct ValueOption {
    const QCommandLineOption& option;
    QString expected;
    std::function<bool(const QString&)> read;
};

QString range(int lowest, int highest, const QString& what) {
    return QCoreApplication::translate("CommandLine", "%1 から %2 までの%3")
        .arg(lowest)
        .arg(highest)
        .arg(what);
}

bool readDrawOptions(const QCommandLineParser& parser, const Options& o, DrawOptions& draw,
                     QString& error) {
    const std::vector<ValueOption> values = {
        {o.at,
         QCoreApplication::translate("CommandLine", "X,Y（画面のピクセル座標、整数）か pointer"),
         [&](const QString& value) {
             if (value == kPointer) {
                 draw.atPointer = true;
                 return true;
             }
             const QStringList parts = value.split(QLatin1Char(','));
             if (parts.size() != 2) {
                 return false;
             }
             bool okX = false;
             bool okY = false;
             draw.at =
                 QPoint(parts[0].trimmed().toInt(&okX, 10), parts[1].trimmed().toInt(&okY, 10));
             return okX && okY;
         }},
        {o.delay,
         range(0, static_cast<int>(kLongestDelaySeconds),
               QCoreApplication::translate("CommandLine", "秒数")),
         [&](const QString& value) {
             bool ok = false;
             draw.delaySeconds = QLocale::c().toDouble(value.trimmed(), &ok);
             return ok && std::isfinite(draw.delaySeconds) && draw.delaySeconds >= 0 &&
                    draw.delaySeconds <= kLongestDelaySeconds;
         }},
        {o.wait,
         range(0, kLongestWaitMs, QCoreApplication::translate("CommandLine", "整数（ミリ秒）")),
         [&](const QString& value) {
             const std::optional<int> ms = wholeNumber(value, 0, kLongestWaitMs);
             if (ms) {
                 draw.waitMs = static_cast<std::int16_t>(*ms);
             }
             return ms.has_value();
         }},
        {o.mode, QCoreApplication::translate("CommandLine", "dark か nonwhite か colour"),
         [&](const QString& value) {
             if (value == QStringLiteral("dark")) {
                 draw.mode = 1;
             } else if (value == QStringLiteral("nonwhite")) {
                 draw.mode = 2;
             } else if (value == QStringLiteral("colour")) {
                 draw.colour = true;
                 return true;
             }
             draw.colour = false;
             return draw.mode.has_value();
         }},
        {o.palette, QCoreApplication::translate("CommandLine", "パレットのファイルの名前"),
         [&](const QString& value) {
             draw.paletteFile = value;
             return !value.isEmpty();
         }},
        {o.dither, QCoreApplication::translate("CommandLine", "none か ordered か fs"),
         [&](const QString& value) {
             if (value == QStringLiteral("none")) {
                 draw.dithering = Dithering::Nearest;
             } else if (value == QStringLiteral("ordered")) {
                 draw.dithering = Dithering::Ordered;
             } else if (value == QStringLiteral("fs")) {
                 draw.dithering = Dithering::ErrorDiffusion;
             }
             return draw.dithering.has_value();
         }},
        {o.background, QCoreApplication::translate("CommandLine", "#RRGGBB（16 進の色）"),
         [&](const QString& value) {
             draw.background = ParseHexColour(value);
             return draw.background.has_value();
         }},
        {o.within,
         range(1, static_cast<int>(kLongestTimeLimitSeconds),
               QCoreApplication::translate("CommandLine", "秒数")),
         [&](const QString& value) {
             bool ok = false;
             const double seconds = QLocale::c().toDouble(value.trimmed(), &ok);
             draw.withinSeconds = seconds;
             return ok && std::isfinite(seconds) && seconds >= 1 &&
                    seconds <= kLongestTimeLimitSeconds;
         }},
        {o.black, range(0, kHighestBlack, QCoreApplication::translate("CommandLine", "整数")),
         [&](const QString& value) {
             draw.black = wholeNumber(value, 0, kHighestBlack);
             return draw.black.has_value();
         }},
        {o.white, range(0, kHighestWhite, QCoreApplication::translate("CommandLine", "整数")),
         [&](const QString& value) {
             draw.white = wholeNumber(value, 0, kHighestWhite);
             return draw.white.has_value();
         }},
        {o.pen,
         range(1, kWidestPen, QCoreApplication::translate("CommandLine", "整数（ピクセル）")),
         [&](const QString& value) {
             draw.penWidth = wholeNumber(value, 1, kWidestPen);
             return draw.penWidth.has_value();
         }},
        {o.check, QCoreApplication::translate("CommandLine", "auto か exact か tolerant"),
         [&](const QString& value) {
             if (value == QStringLiteral("auto")) {
                 draw.check = CheckChoice::Auto;
             } else if (value == QStringLiteral("exact")) {
                 draw.check = CheckChoice::Exact;
             } else if (value == QStringLiteral("tolerant")) {
                 draw.check = CheckChoice::Tolerant;
             }
             return draw.check.has_value();
         }},
        {o.planImage, QCoreApplication::translate("CommandLine", "書き出す PNG ファイルの名前"),
         [&](const QString& value) {
             draw.planImage = value;
             return !value.isEmpty();
         }},
    };
    for (const ValueOption& value : values) {
        if (parser.isSet(value.option) && !value.read(parser.value(value.option))) {
            error = QCoreApplication::translate("CommandLine",
                                                "%1 には %2 を指定してください（指定: %3）")
                        .arg(dashed(value.option.names().constLast()), value.expected,
                             parser.value(value.option));
            return false;
        }
    }
    return true;
}

void write(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    if (arguments.size() <= 1) {
        return line;
    }
    const Options o;
    QCommandLineParser parser;
    for (const QCommandLineOption* option : o.all()) {
        parser.addOption(*option);
    }
    auto usageError = [&line](const QString& error) {
        line.kind = CommandLine::Kind::UsageError;
        line.error = error;
        return line;
    };
    if (!parser.parse(arguments)) {
        return usageError(parseFailure(parser, arguments, o));
    }
    if (parser.isSet(o.help)) {
        line.kind = CommandLine::Kind::Help;
        return line;
    }
    if (parser.isSet(o.version)) {
        line.kind = CommandLine::Kind::Version;
        return line;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        return usageError(QCoreApplication::translate(
            "CommandLine", "コマンドがありません（draw を指定してください）"));
    }
    if (positional[0] != kDrawCommand) {
        return usageError(QCoreApplication::translate("CommandLine", "不明なコマンドです: %1")
                              .arg(positional[0]));
    }
    if (positional.size() < 2) {
        return usageError(
            QCoreApplication::translate("CommandLine", "描画する画像ファイルを指定してください"));
    }
    if (positional.size() > 2) {
        return usageError(QCoreApplication::translate("CommandLine", "余分な引数があります: %1")
                              .arg(positional.mid(2).join(QLatin1Char(' '))));
    }
    line.kind = CommandLine::Kind::Draw;
    line.draw.picture = positional[1];
    QString error;
    if (!readDrawOptions(parser, o, line.draw, error)) {
        return usageError(error);
    }
    if (!parser.isSet(o.at)) {
        return usageError(QCoreApplication::translate(
            "CommandLine", "--at で描画の原点を指定してください（X,Y か pointer）"));
    }
    // An option and its "no-" form: the one given, or empty for the saved setting.
    auto flag = [&](const QCommandLineOption& on, const QCommandLineOption& off,
                    std::optional<bool>& value) {
        if (parser.isSet(on) && parser.isSet(off)) {
            error = QCoreApplication::translate("CommandLine", "%1 と %2 は同時に指定できません")
                        .arg(dashed(on.names().constLast()), dashed(off.names().constLast()));
            return false;
        }
        if (parser.isSet(on) || parser.isSet(off)) {
            value = parser.isSet(on);
        }
        return true;
    };
    if (!flag(o.follow, o.noFollow, line.draw.follow) ||
        !flag(o.joinRuns, o.noJoinRuns, line.draw.joinRuns)) {
        return usageError(error);
    }
    if (!line.draw.paletteFile.isEmpty()) {
        if (line.draw.colour == false) {
            return usageError(QCoreApplication::translate(
                "CommandLine", "--palette は --mode dark / nonwhite と同時に指定できません"));
        }
        line.draw.colour = true;
    }
    if (parser.isSet(o.crop) && parser.isSet(o.fit)) {
        return usageError(
            QCoreApplication::translate("CommandLine", "--crop と --fit は同時に指定できません"));
    }
    line.draw.crop = parser.isSet(o.crop);
    line.draw.fit = parser.isSet(o.fit);
    line.draw.plan = parser.isSet(o.plan) || !line.draw.planImage.isEmpty();
    line.draw.json = parser.isSet(o.json);
    line.draw.yes = parser.isSet(o.yes);
    return line;
}

QString HelpText() {
    const Options o;
    QString text = QCoreApplication::translate(
        "CommandLine",
        "使い方:\n"
        "  stylorex                                     ウィンドウを開きます\n"
        "  stylorex draw 画像ファイル --at X,Y [オプション]\n"
        "                                               ウィンドウを開かずに画像を描画します\n"
        "  stylorex --help | --version\n"
        "\n"
        "draw は画像（ウィンドウが読める形式すべて）を「処理」と同じ抽出、ストロークと順序で、"
        "本物のマウスポインタで描きます。\n"
        "Esc キー、マウスを動かすこと（KDE、GNOME）、SIGINT（Ctrl+C）、SIGTERM、SIGHUP、"
        "一時停止（Ctrl+Z）で中断し、どの終わり方でもボタンを離します。\n"
        "設定の既定値は保存された設定ファイルから読み、ファイルは書き換えません。\n"
        "\n"
        "オプション:\n");
    constexpr qsizetype kColumn = 28;
    for (const QCommandLineOption* option : o.all()) {
        const QString synopsis = QStringLiteral("  ") + optionSynopsis(*option);
        const qsizetype width = terminalWidth(synopsis);
        text += width < kColumn ? synopsis + QString(kColumn - width, QLatin1Char(' '))
                                : synopsis + QLatin1Char('\n') + QString(kColumn, QLatin1Char(' '));
        text += option->description() + QLatin1Char('\n');
    }
    text += QCoreApplication::translate(
        "CommandLine",
        "\n"
        "終了コード:\n"
        "  0  描画し、描画先を読み取って正確に描けたと確かめました（太いペンでは、ペンの半径以内"
        "で。--plan: 計画を表示しました）\n"
        "  1  失敗しました（画像を読めない、X ディスプレイがない、Wayland で使えない など）\n"
        "  2  使い方の誤り\n"
        "  3  中断しました（Esc キー、マウス、一時停止かシグナル、または確認に y "
        "以外で答えました）\n"
        "  4  最後まで描画しましたが、正確とは確かめられません（欠けか余分がある、または確認"
        "できない。\n"
        "     理由は結果の「確認」の行と JSON の check に出ます）\n"
        "\n"
        "例:\n"
        "  stylorex draw logo.png --at 400,300\n"
        "  stylorex draw logo.png --at pointer --delay 5\n"
        "  stylorex draw logo.png --at 400,300 --plan --plan-image plan.png\n"
        "  stylorex draw logo.png --at 400,300 --wait 0 --json\n"
        "  stylorex draw photo.jpg --at 400,300 --palette swatches.txt --dither fs --within 60\n");
    return text;
}

QString HelpHint() {
    return QCoreApplication::translate("CommandLine", "使い方は stylorex --help で表示されます。");
}

int RunCommandLine(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    // Texts are translated only while an application object exists: the parse and the short
    // answers get a plain one; the draw makes its own (it may need the display) once this one
    // has gone.
    int argc = 1;
    char name[] = "stylorex";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> texts;
    if (QCoreApplication::instance() == nullptr) {
        texts = std::make_unique<QCoreApplication>(argc, argv);
    }
    const CommandLine line = ParseCommandLine(arguments);
    switch (line.kind) {
        case CommandLine::Kind::Help:
            write(out, HelpText());
            return exit_code::kDone;
        case CommandLine::Kind::Version:
            write(out, QStringLiteral("Stylorex %1\n").arg(QString::fromLatin1(kProgramVersion)));
            return exit_code::kDone;
        case CommandLine::Kind::UsageError:
            write(err, ProgramMessageText(line.error + QLatin1Char('\n') + HelpHint()) +
                           QLatin1Char('\n'));
            return exit_code::kUsage;
        case CommandLine::Kind::Draw:
            texts.reset();
            return RunDrawCommand(line.draw, out, err);
        case CommandLine::Kind::Window:
            break;
    }
    PrintProgramMessage(
        QCoreApplication::translate("CommandLine", "ウィンドウは引数なしで開きます"), err);
    return exit_code::kUsage;
}

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QFile::decodeName(argv[i]);
    }
    return arguments;
}

}  // namespace stylorex
