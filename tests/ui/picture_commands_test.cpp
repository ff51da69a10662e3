#include "ui/picture_commands.h"

#include "canvas/picture_box.h"
#include "common/user_dialogs.h"
#include "tests/support/picture_files.h"
#include "tests/support/recording_dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace stylorex {
namespace {

using namespace stylorex::test;

using Entry = RecordingDialogs::Entry;

const QString kTitle = QStringLiteral("キャンバスサイズ変更");
const Entry kHeightQuestion{QStringLiteral("高さを入力して下さい(最大480:最小100)"), kTitle};
const Entry kWidthQuestion{QStringLiteral("幅を入力して下さい(最大600:最小100)"), kTitle};
const Entry kInvalidMessage{QStringLiteral("数値が不正です"), kTitle};

struct SizeCase {
    std::vector<std::optional<QString>> answers;
    std::optional<QSize> size;  // (width, height)
    int questions;
    bool invalidMessage;
};

TEST(CustomCanvasSize, AnswersGiveTheSizeOrEndAsTheCommandDemands) {
    const std::optional<QString> cancel;
    const std::vector<SizeCase> cases = {
        {{"150", "250"}, QSize(250, 150), 2, false},
        {{"100", "100"}, QSize(100, 100), 2, false},
        {{"480", "600"}, QSize(600, 480), 2, false},
        {{"150.9", "250.2"}, QSize(250, 150), 2, false},
        {{" 200 ", "3e2"}, QSize(300, 200), 2, false},
        {{"99", "200"}, std::nullopt, 2, true},
        {{"481", "200"}, std::nullopt, 2, true},
        {{"200", "99"}, std::nullopt, 2, true},
        {{"200", "601"}, std::nullopt, 2, true},
        {{"-100", "200"}, std::nullopt, 2, true},
        {{"99.99", "200"}, std::nullopt, 2, true},
        {{"abc"}, std::nullopt, 1, false},
        {{""}, std::nullopt, 1, false},
        {{cancel}, std::nullopt, 1, false},
        {{"40000"}, std::nullopt, 1, false},
        {{"200", "abc"}, std::nullopt, 2, false},
        {{"200", ""}, std::nullopt, 2, false},
        {{"200", cancel}, std::nullopt, 2, false},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.answers.front().value_or(QStringLiteral("(cancel)")).toStdString() + " / " +
                     (c.answers.size() > 1 ? c.answers.back().value_or("(cancel)").toStdString()
                                           : std::string("-")));
        RecordingDialogs dialogs(c.answers);
        EXPECT_EQ(AskCustomCanvasSize(dialogs), c.size);
        ASSERT_EQ(dialogs.questions.size(), size_t(c.questions));
        EXPECT_EQ(dialogs.questions[0], kHeightQuestion);
        if (c.questions == 2) {
            EXPECT_EQ(dialogs.questions[1], kWidthQuestion);
        }
        if (c.invalidMessage) {
            EXPECT_EQ(dialogs.messages, (std::vector<Entry>{kInvalidMessage}));
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
        }
    }
}

TEST(CustomCanvasSize, AnswersAreRoundedDownAndTakenAsSixteenBitNumbers) {
    EXPECT_EQ(ParseCanvasSizeAnswer(QStringLiteral("150.9")), qint16(150));
    EXPECT_EQ(ParseCanvasSizeAnswer(QStringLiteral("-0.5")), qint16(-1));
    EXPECT_EQ(ParseCanvasSizeAnswer(QStringLiteral("32767")), qint16(32767));
    EXPECT_EQ(ParseCanvasSizeAnswer(QStringLiteral("-32768")), qint16(-32768));
    EXPECT_FALSE(ParseCanvasSizeAnswer(QStringLiteral("32768")));
    EXPECT_FALSE(ParseCanvasSizeAnswer(QStringLiteral("-32769")));
    EXPECT_FALSE(ParseCanvasSizeAnswer(QStringLiteral("inf")));
    EXPECT_FALSE(ParseCanvasSizeAnswer(QStringLiteral("nan")));
    EXPECT_FALSE(ParseCanvasSizeAnswer(QStringLiteral("12abc")));
}

// The pattern Qt's file dialog uses to take the patterns out of a filter entry.
const QRegularExpression kQtFilterEntry(
    QStringLiteral("^(.*)\\(([a-zA-Z0-9_.,*? +;#\\-\\[\\]@\\{\\}/!<>\\$%&=^~:\\|]*)\\)$"));

TEST(PictureFileFilter, EntriesKeepTheirOrderDescriptionsAndPatternsInQtsForm) {
    const std::vector<std::pair<QString, QStringList>> expected = {
        {QStringLiteral("すべてのﾋﾟｸﾁｬﾌｧｲﾙ"),
         {"*.ico", "*.jpeg", "*.gif", "*.jpg", "*.bmp", "*.dib", "*.wmf", "*.emf", "*.cur",
          "*.png"}},
        {QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp,*.dib)"), {"*.bmp", "*.dib"}},
        {QStringLiteral("JPEG(*.jpg,*.jpeg)"), {"*.jpg", "*.jpeg"}},
        {QStringLiteral("GIF(*.gif)"), {"*.gif"}},
        {QStringLiteral("ｱｲｺﾝ(*.ico,*.cur)"), {"*.ico", "*.cur"}},
        {QStringLiteral("ﾒﾀﾌｧｲﾙ(*.wmf,*.emf)"), {"*.wmf", "*.emf"}},
        {QStringLiteral("すべてのﾌｧｲﾙ(*.*)"), {"*"}},
        {QStringLiteral("PNG(*.png)"), {"*.png"}},
    };
    const QStringList entries = PictureFileFilter().split(QStringLiteral(";;"));
    ASSERT_EQ(entries.size(), qsizetype(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const QRegularExpressionMatch match = kQtFilterEntry.match(entries[qsizetype(i)]);
        ASSERT_TRUE(match.hasMatch());
        EXPECT_EQ(match.captured(1).trimmed(), expected[i].first);
        QStringList patterns;
        for (const QString& p : match.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!patterns.contains(p.toLower())) {
                patterns << p.toLower();
            }
        }
        EXPECT_EQ(patterns, expected[i].second);
        EXPECT_TRUE(match.captured(2).contains(expected[i].second.constFirst().toUpper()));
    }
}

QImage Reference(int width, int height) {
    return ReferencePicture(width, height, 4);
}

// The source picture, drawn on so that every test can see its drawings vanish or stay.
class PictureCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        picture_.setCanvasSize(200, 150);
        drawSomething();
    }
    void drawSomething() {
        picture_.paintOnTarget([](QPainter& painter) {
            painter.setPen(QPen(Qt::black, 1));
            painter.drawLine(0, 149, 199, 0);
        });
    }
    QString file(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(WriteFile(path, data));
        return path;
    }

    // Runs the open dialog; `answer` acts on it once it is shown. Returns the command's result
    // and tells whether a message box came up meanwhile.
    bool runDialog(const std::function<void(QFileDialog&)>& answer,
                   const LoadingNotice& notice = {}) {
        bool answered = false;
        std::function<void()> poll;
        poll = [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                QTimer::singleShot(10, poll);
                return;
            }
            answered = true;
            lastNameFilters_ = dialog->nameFilters();
            lastSelectedFilter_ = dialog->selectedNameFilter();
            if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
                shownFilters_.clear();
                for (int i = 0; i < combo->count(); ++i) {
                    shownFilters_ << combo->itemText(i);
                }
            }
            offered_ = dialog->selectedFiles();
            answer(*dialog);
        };
        QTimer::singleShot(0, poll);
        const bool loaded =
            LoadPictureFromDialog(picture_, lastChosenFile_, nullptr, dialogs_, notice);
        EXPECT_TRUE(answered);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            EXPECT_EQ(qobject_cast<QMessageBox*>(w), nullptr) << "a message box came up";
        }
        return loaded;
    }
    bool loadThroughDialog(const QString& path, const LoadingNotice& notice = {}) {
        return runDialog(
            [&](QFileDialog& dialog) {
                dialog.selectFile(path);
                static_cast<QDialog&>(dialog).accept();
            },
            notice);
    }
    bool cancelDialog() {
        return runDialog([](QFileDialog& dialog) { dialog.reject(); });
    }

    QTemporaryDir dir_;
    PictureBox picture_;
    RecordingDialogs dialogs_;
    QString lastChosenFile_;
    QStringList lastNameFilters_;
    QString lastSelectedFilter_;
    QStringList shownFilters_;
    QStringList offered_;
};

TEST_F(PictureCommandsTest, EveryListedFormatLoadsThroughTheDialog) {
    const QImage reference = Reference(24, 18);
    const std::vector<std::pair<QString, QByteArray>> exact = {
        {"one.bmp", IndexedBmp(24, 18, 1)},
        {"four.bmp", IndexedBmp(24, 18, 4)},
        {"eight.bmp", IndexedBmp(24, 18, 8)},
        {"rle8.bmp", Rle8Bmp(24, 18)},
        {"rle4.bmp", Rle4Bmp(24, 18)},
        {"true24.bmp", TrueColourBmp(reference, 24)},
        {"true32.dib", TrueColourBmp(reference, 32)},
        {"picture.gif", Gif(24, 18, 2)},
        {"icon.ico", Ico(reference)},
        {"cursor.cur", Cur(reference)},
        {"picture.png", QtWritten(reference, "png")},
    };
    for (const auto& [name, data] : exact) {
        SCOPED_TRACE(name.toStdString());
        drawSomething();
        ASSERT_TRUE(loadThroughDialog(file(name, data)));
        const int colours = name.startsWith("one")                                ? 2
                            : name.startsWith("four")                             ? 16
                            : name.startsWith("eight") || name.startsWith("rle8") ? 256
                            : name.startsWith("rle4")                             ? 16
                                                                                  : 4;
        EXPECT_TRUE(SamePixels(picture_.picture(), ReferencePicture(24, 18, colours)));
        EXPECT_EQ(picture_.ScaleWidth(), 200);
        EXPECT_EQ(picture_.ScaleHeight(), 150);
    }

    QImage halves(40, 30, QImage::Format_RGB32);
    halves.fill(Qt::white);
    QPainter(&halves).fillRect(0, 0, 20, 30, Qt::black);
    for (const QString& name : {QStringLiteral("photo.jpg"), QStringLiteral("photo.jpeg")}) {
        ASSERT_TRUE(loadThroughDialog(file(name, QtWritten(halves, "jpeg", 95))));
        ASSERT_EQ(picture_.picture().size(), QSize(40, 30));
        EXPECT_LT(qGray(picture_.persistentImage().pixel(5, 15)), 30);
        EXPECT_GT(qGray(picture_.persistentImage().pixel(35, 15)), 225);
    }
    ASSERT_TRUE(loadThroughDialog(file("drawing.wmf", Wmf(120, 80, 20, 10, 60, 50))));
    EXPECT_EQ(picture_.picture().size(), QSize(120, 80));
    EXPECT_EQ(picture_.persistentImage().pixel(40, 30) & 0xFFFFFF, 0u);
    EXPECT_EQ(picture_.persistentImage().pixel(100, 30) & 0xFFFFFF, 0xFFFFFFu);
    ASSERT_TRUE(loadThroughDialog(file("drawing.emf", Emf(150, 90, 30, 20, 80, 60))));
    EXPECT_EQ(picture_.picture().size(), QSize(150, 90));
    EXPECT_EQ(picture_.persistentImage().pixel(50, 40) & 0xFFFFFF, 0u);
    EXPECT_EQ(picture_.persistentImage().pixel(120, 40) & 0xFFFFFF, 0xFFFFFFu);
}

// The decode's child is a fork() of this process, which takes only the forking thread along: a
// lock another thread held at that moment stays locked in the child, and the decode can hang
// there until its time limit. The dialog's threads (its file list reads the folder on one) are
// gone by the time the decode starts.
TEST_F(PictureCommandsTest, TheDecodeStartsOnceTheDialogsThreadsHaveEnded) {
    auto threads = [] {
        return QDir(QStringLiteral("/proc/self/task"))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
            .size();
    };
    const QString chosen = file("picture.png", QtWritten(Reference(30, 30), "png"));
    const qsizetype before = threads();
    qsizetype whileDecoding = 0;
    ASSERT_TRUE(loadThroughDialog(chosen, [&](bool loading) {
        if (loading) {
            whileDecoding = threads();
        }
    }));
    ASSERT_GT(whileDecoding, 0) << "the load gave no notice";
    EXPECT_LE(whileDecoding, before);
}

TEST_F(PictureCommandsTest, TheDialogShowsTheDescriptionsWithTheFirstEntrySelected) {
    ASSERT_FALSE(cancelDialog());
    EXPECT_EQ(lastNameFilters_, PictureFileFilter().split(QStringLiteral(";;")));
    // With the details hidden, the dialog names the selected entry by its description.
    EXPECT_EQ(lastSelectedFilter_, QStringLiteral("すべてのﾋﾟｸﾁｬﾌｧｲﾙ"));
    ASSERT_EQ(shownFilters_.size(), 8);
    EXPECT_EQ(shownFilters_[0], QStringLiteral("すべてのﾋﾟｸﾁｬﾌｧｲﾙ"));
    EXPECT_EQ(shownFilters_[1], QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp,*.dib)"));
    EXPECT_EQ(shownFilters_[6], QStringLiteral("すべてのﾌｧｲﾙ(*.*)"));
}

TEST_F(PictureCommandsTest, ALargerPictureShowsItsTopLeftPartAndTheCanvasKeepsItsSize) {
    QImage big = Reference(300, 250);
    ASSERT_TRUE(loadThroughDialog(file("big.png", QtWritten(big, "png"))));
    EXPECT_EQ(picture_.ScaleWidth(), 200);
    EXPECT_EQ(picture_.ScaleHeight(), 150);
    EXPECT_TRUE(SamePixels(picture_.persistentImage(), big.copy(0, 0, 200, 150)));
}

TEST_F(PictureCommandsTest, ASmallerPictureLeavesWhiteBeyondItAndEarlierDrawingsAreGone) {
    ASSERT_EQ(picture_.persistentImage().pixel(199, 0) & 0xFFFFFF, 0u);  // the drawing
    ASSERT_TRUE(loadThroughDialog(file("small.bmp", IndexedBmp(50, 40, 4))));
    const QImage& shown = picture_.persistentImage();
    EXPECT_TRUE(SamePixels(shown.copy(0, 0, 50, 40), ReferencePicture(50, 40, 16)));
    EXPECT_TRUE(SamePixels(picture_.screenImage(), shown));
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (x >= 50 || y >= 40) {
                ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
            }
        }
    }
}

TEST_F(PictureCommandsTest, CancellingTwiceChangesNothingAndTheDialogOffersTheLastFile) {
    const QString chosen = file("first.png", QtWritten(Reference(30, 30), "png"));
    ASSERT_TRUE(loadThroughDialog(chosen));
    drawSomething();
    const QImage before = picture_.persistentImage();
    EXPECT_FALSE(cancelDialog());
    EXPECT_EQ(picture_.persistentImage(), before);
    EXPECT_TRUE(offered_.contains(chosen));
    EXPECT_FALSE(cancelDialog());
    EXPECT_EQ(picture_.persistentImage(), before);
    EXPECT_TRUE(offered_.contains(chosen));
    EXPECT_EQ(lastChosenFile_, chosen);
}

TEST_F(PictureCommandsTest, UnreadableFilesAreNamedWithTheReasonAndChangeNothing) {
    const QImage before = picture_.persistentImage();
    QByteArray damagedPng = QtWritten(Reference(40, 30), "png");
    damagedPng[damagedPng.indexOf("IDAT") + 8] ^= 0x5A;
    std::map<QString, QString> reasons;
    const std::vector<std::pair<QString, QByteArray>> bad = {
        {"huge.bmp", HugeBmpHeader(30000, 30000)},
        {"huge.png", HugePngHeader(30000, 30000)},
        {"huge.gif", HugeGifHeader(30000, 30000)},
        {"huge.jpg", HugeJpegHeader(30000, 30000)},
        {"huge.wmf", HugeWmfHeader(30000, 30000)},
        {"huge.emf", HugeEmfHeader(30000, 30000)},
        {"words.bmp", QByteArray("not a picture at all")},
        {"empty.gif", QByteArray()},
        {"cut.wmf", Wmf(40, 40, 1, 1, 20, 20).left(30)},
        {"cut.emf", Emf(40, 40, 1, 1, 20, 20).left(60)},
        {"cut.ico", Ico(Reference(16, 16)).left(10)},
        {"cut.jpg", QtWritten(Reference(40, 30), "jpeg", 90).left(400)},
        {"cut.bmp", IndexedBmp(40, 30, 8).left(900)},
        {"cut-rle.bmp", Rle8Bmp(40, 30).left(600)},
        {"cut.gif", Gif(40, 30, 1).left(300)},
        {"cut.png", QtWritten(Reference(40, 30), "png").left(80)},
        {"damaged.png", damagedPng},
        {"words.png", QByteArray("a text file that only has a picture's name")},
    };
    for (const auto& [name, data] : bad) {
        SCOPED_TRACE(name.toStdString());
        dialogs_.messages.clear();
        const QString path = file(name, data);
        EXPECT_FALSE(loadThroughDialog(path));
        EXPECT_EQ(picture_.persistentImage(), before);
        ASSERT_EQ(dialogs_.messages.size(), 1u);
        const QStringList lines = dialogs_.messages[0].text.split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[0], QStringLiteral("画像を読み込めません"));
        EXPECT_EQ(lines[1], path);
        EXPECT_FALSE(lines[2].isEmpty());
        reasons[name] = lines[2];
    }
    // What libpng found wrong is part of the reason the user reads.
    EXPECT_TRUE(reasons["damaged.png"].contains(QStringLiteral("libpng error")))
        << reasons["damaged.png"].toStdString();
    EXPECT_EQ(reasons["words.png"],
              QStringLiteral("画像ファイルではないか、対応していない形式です"));
}

TEST_F(PictureCommandsTest, PasteIgnoresTextEvenBesideAPicture) {
    const QImage before = picture_.persistentImage();
    QMimeData text;
    text.setText(QStringLiteral("some text"));
    QString reason;
    EXPECT_FALSE(PastePicture(picture_, &text, &reason));
    EXPECT_EQ(reason, QStringLiteral("クリップボードの内容は文字です"));
    QMimeData both;
    both.setText(QStringLiteral("a caption"));
    both.setImageData(Reference(20, 20));
    EXPECT_FALSE(PastePicture(picture_, &both));
    QMimeData nothing;
    EXPECT_FALSE(PastePicture(picture_, &nothing));
    EXPECT_FALSE(PastePicture(picture_, nullptr));
    EXPECT_EQ(picture_.persistentImage(), before);
}

TEST_F(PictureCommandsTest, PasteMakesThePictureTheBackground) {
    QMimeData image;
    image.setImageData(Reference(60, 40));
    ASSERT_TRUE(PastePicture(picture_, &image));
    EXPECT_TRUE(SamePixels(picture_.picture(), Reference(60, 40)));
    EXPECT_EQ(picture_.persistentImage().pixel(199, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(picture_.ScaleWidth(), 200);

    // Picture bytes offered under an image type go through the checked decoder.
    QMimeData png;
    png.setData(QStringLiteral("image/png"), QtWritten(Reference(30, 20), "png"));
    ASSERT_TRUE(PastePicture(picture_, &png));
    EXPECT_TRUE(SamePixels(picture_.picture(), Reference(30, 20)));
    QMimeData huge;
    huge.setData(QStringLiteral("image/png"), HugePngHeader(30000, 30000));
    EXPECT_FALSE(PastePicture(picture_, &huge));
    EXPECT_TRUE(SamePixels(picture_.picture(), Reference(30, 20)));

    // An empty text form beside a picture is no text.
    QMimeData emptyText;
    emptyText.setText(QString());
    emptyText.setImageData(Reference(10, 10));
    EXPECT_TRUE(PastePicture(picture_, &emptyText));
    EXPECT_EQ(picture_.picture().size(), QSize(10, 10));
}

// What the X11 clipboard hands over for another program's picture: its bytes under their image
// type, and the picture object Qt's own reader makes of those bytes when asked for one.
class ClipboardPicture : public QMimeData {
  public:
    ClipboardPicture(const QString& type, const QByteArray& bytes) : type_(type), bytes_(bytes) {}
    QStringList formats() const override {
        return {type_, QStringLiteral("application/x-qt-image")};
    }
    bool hasFormat(const QString& format) const override { return formats().contains(format); }

  protected:
    QVariant retrieveData(const QString& format, QMetaType) const override {
        if (format == type_) {
            return bytes_;
        }
        if (format == QStringLiteral("application/x-qt-image")) {
            return QImage::fromData(bytes_);
        }
        return {};
    }

  private:
    QString type_;
    QByteArray bytes_;
};

TEST_F(PictureCommandsTest, DamagedPicturesOnTheClipboardAreRefusedAsLoadingRefusesThem) {
    QByteArray truncated = IndexedBmp(40, 30, 8);
    truncated.chop(400);  // the top ten rows
    QByteArray rleWithoutEnd = Rle8Bmp(40, 30);
    rleWithoutEnd.chop(4);  // the last row's end and the end of the bitmap
    const QByteArray jpeg = QtWritten(Reference(40, 30), "jpeg", 90);
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    const std::vector<std::pair<QString, QByteArray>> damaged = {
        {QStringLiteral("image/bmp"), truncated},
        {QStringLiteral("image/bmp"), rleWithoutEnd},
        {QStringLiteral("image/jpeg"), jpeg.left(scan + (jpeg.size() - scan) / 2)},
    };
    const QImage before = picture_.persistentImage();
    for (const auto& [type, bytes] : damaged) {
        SCOPED_TRACE(type.toStdString() + " of " + std::to_string(bytes.size()) + " bytes");
        ClipboardPicture offered(type, bytes);
        // Qt's reader takes it, showing what is missing as black.
        ASSERT_FALSE(qvariant_cast<QImage>(offered.imageData()).isNull());
        EXPECT_FALSE(PastePicture(picture_, &offered));
        EXPECT_EQ(picture_.persistentImage(), before);
        EXPECT_FALSE(loadThroughDialog(file(QStringLiteral("damaged"), bytes)));
    }
}

TEST_F(PictureCommandsTest, PasteReadsTheSystemClipboardAndSaysWhenItHoldsOnlyText) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(Reference(25, 15));
    ASSERT_TRUE(PastePicture(picture_, dialogs_));
    EXPECT_TRUE(SamePixels(picture_.picture(), Reference(25, 15)));
    EXPECT_TRUE(dialogs_.messages.empty());
    drawSomething();
    const QImage before = picture_.persistentImage();
    clipboard->setText(QStringLiteral("text now"));
    EXPECT_FALSE(PastePicture(picture_, dialogs_));
    EXPECT_EQ(picture_.persistentImage(), before);
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList{QStringLiteral("画像を読み込めません\nクリップボード\n"
                                         "クリップボードの内容は文字です")});
    clipboard->clear();
}

TEST_F(PictureCommandsTest, ClearAfterALoadLeavesAnAllWhiteCanvasOfTheSameSize) {
    ASSERT_TRUE(loadThroughDialog(file("c.png", QtWritten(Reference(120, 100), "png"))));
    drawSomething();
    picture_.setAutoRedraw(false);
    picture_.setCurrentX(40);
    picture_.setCurrentY(30);
    ClearPicture(picture_);
    EXPECT_TRUE(picture_.AutoRedraw());
    EXPECT_TRUE(picture_.picture().isNull());
    EXPECT_EQ(picture_.CurrentX(), 0);
    EXPECT_EQ(picture_.CurrentY(), 0);
    EXPECT_EQ(picture_.ScaleWidth(), 200);
    EXPECT_EQ(picture_.ScaleHeight(), 150);
    QImage white(200, 150, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_TRUE(SamePixels(picture_.persistentImage(), white));
    EXPECT_TRUE(SamePixels(picture_.screenImage(), white));
    // The background is gone for good: a later Cls brings no picture back.
    picture_.Cls();
    EXPECT_TRUE(SamePixels(picture_.persistentImage(), white));
}

}  // namespace
}  // namespace stylorex
