#include "patterns/pattern_library.h"

#include "canvas/picture_box.h"
#include "common/colour.h"
#include "common/user_dialogs.h"
#include "common/window_text.h"
#include "engine/run_state.h"
#include "imaging/picture_decoder.h"
#include "os/program_folder.h"
#include "tests/support/permission_guard.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/recording_window.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace stylorex {
namespace {

using Message = RecordingDialogs::Entry;
const Message kJpegFallbackMessage{QStringLiteral("JPEG保存に問題があるためBMP形式で保存します"),
                                   QStringLiteral("JPEG保存障害")};
const Message kEmptySlotMessage{QStringLiteral("登録されていません"), QStringLiteral("定型ロード")};

bool FailingJpeg(const QImage&, int, int, const QString&, quint8, int) {
    return false;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Stands in for the time between two stores, which a fast test does not leave.
void setModified(const QString& path, const QDateTime& time) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

// Black line art on white: a frame, a diagonal and a cross, different for each `variant`.
void DrawLineArt(PictureBox& picture, int variant) {
    picture.paintOnTarget([&](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(10 + variant * 3, 10, 60, 40);
        painter.drawLine(5, 90, 120, 90 - variant * 10);
        painter.drawLine(150, 20 + variant * 5, 150, 120);
        painter.drawLine(130, 70, 190, 70);
    });
}

bool IsLinePixelMode1(QRgb rgb) {
    const ColorParts parts = SplitRGB(PackRGB(qRed(rgb), qGreen(rgb), qBlue(rgb)));
    constexpr int kBlackUpper = 80;
    return parts.Red <= kBlackUpper && parts.Green <= kBlackUpper && parts.Blue <= kBlackUpper;
}

// Every pixel agrees on being a line pixel, except right beside a line where a JPEG may smear.
bool SameLinePixels(const QImage& original, const QImage& back, bool allowFringe) {
    if (original.size() != back.size()) {
        return false;
    }
    for (int y = 0; y < original.height(); ++y) {
        for (int x = 0; x < original.width(); ++x) {
            const bool was = IsLinePixelMode1(original.pixel(x, y));
            const bool is = IsLinePixelMode1(back.pixel(x, y));
            if (was && !is) {
                return false;
            }
            if (!was && is) {
                bool besideLine = false;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QPoint p(x + dx, y + dy);
                        besideLine = besideLine || (original.rect().contains(p) &&
                                                    IsLinePixelMode1(original.pixel(p)));
                    }
                }
                if (!allowFringe || !besideLine) {
                    return false;
                }
            }
        }
    }
    return true;
}

class PatternLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        programFolder_ = root_.filePath(QStringLiteral("program"));
        dataHome_ = root_.filePath(QStringLiteral("data"));
        ASSERT_TRUE(QDir().mkpath(programFolder_));
        context_.programFolder = programFolder_;
        previousDataHome_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome_.toUtf8());
        picture_.setCanvasSize(200, 150);
    }
    void TearDown() override {
        QFile::setPermissions(programFolder_,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(dataHome_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_DATA_HOME", previousDataHome_);
        EXPECT_TRUE(dialogs_.questions.empty()) << "the pattern library asks nothing";
    }

    QString inProgram(const QString& name) const { return JoinPath(programFolder_, name); }
    QString inPerUser(const QString& name) const {
        return JoinPath(dataHome_ + QStringLiteral("/stylorex"), name);
    }

    std::vector<QString> statusTexts() const {
        std::vector<QString> texts;
        for (const auto& [panel, text] : window_.statuses) {
            EXPECT_EQ(panel, 2);
            texts.push_back(text);
        }
        return texts;
    }
    void forgetProgress() {
        window_.statuses.clear();
        window_.captions.clear();
        dialogs_.messages.clear();
    }

    QTemporaryDir root_;
    QString programFolder_;
    QString dataHome_;
    QByteArray previousDataHome_;
    PictureBox picture_;
    RecordingWindow window_;
    RecordingDialogs dialogs_;
    RunState runState_;
    PatternContext context_{picture_, window_, dialogs_, runState_};
};

TEST_F(PatternLibraryTest, StoreAndLoadInEverySlot) {
    std::vector<QImage> stored;
    for (std::int16_t index = 0; index < 7; ++index) {
        picture_.setPicture(QImage());
        DrawLineArt(picture_, index);
        forgetProgress();
        StorePattern(context_, index);
        const QString name = QStringLiteral(" %1.jpg").arg(index + 1);
        EXPECT_TRUE(PatternFileExists(inProgram(name))) << name.toStdString();
        EXPECT_EQ(statusTexts(),
                  (std::vector<QString>{QStringLiteral("登録中"), QStringLiteral("登録完了 ")}));
        EXPECT_EQ(window_.captions,
                  (std::vector<QString>{QStringLiteral("Stylorex [定型登録中]"),
                                        QStringLiteral("Stylorex [定型登録完了]")}));
        EXPECT_TRUE(dialogs_.messages.empty());
        stored.push_back(picture_.persistentImage());
    }
    for (std::int16_t index = 6; index >= 0; --index) {
        picture_.setPicture(QImage());
        forgetProgress();
        LoadPattern(context_, index);
        EXPECT_EQ(statusTexts(),
                  (std::vector<QString>{QStringLiteral("ロード中"), QStringLiteral("ロード完了")}));
        EXPECT_EQ(window_.caption(), QStringLiteral("Stylorex [定型ロード完了]"));
        EXPECT_TRUE(SameLinePixels(stored[index], picture_.persistentImage(), true))
            << "slot " << index + 1;
    }
}

TEST_F(PatternLibraryTest, NothingSelectedIsSlotZeroAndNamesCarryTheLeadingSpace) {
    EXPECT_EQ(PatternFileName(3, QStringLiteral(".jpg")), QStringLiteral(" 3.jpg"));
    EXPECT_EQ(PatternFileName(0, QStringLiteral(".bmp")), QStringLiteral(" 0.bmp"));
    StorePattern(context_, -1);
    EXPECT_TRUE(PatternFileExists(inProgram(QStringLiteral(" 0.jpg"))));
    QFile::rename(inProgram(QStringLiteral(" 0.jpg")), inProgram(QStringLiteral("3.jpg")));
    forgetProgress();
    LoadPattern(context_, 2);
    EXPECT_EQ(dialogs_.messages, std::vector<Message>{kEmptySlotMessage});
}

TEST_F(PatternLibraryTest, StoreCommitsAndWritesTheCommittedPictureAtTheCanvasSize) {
    QImage background(80, 60, QImage::Format_RGB32);
    background.fill(Qt::black);
    picture_.setPicture(background);
    DrawLineArt(picture_, 2);
    picture_.setAutoRedraw(false);
    StorePattern(context_, 0);
    EXPECT_TRUE(picture_.AutoRedraw());
    EXPECT_EQ(picture_.picture().size(), QSize(200, 150));
    const std::optional<QImage> back = DecodePictureFile(inProgram(QStringLiteral(" 1.jpg")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), QSize(200, 150));
    EXPECT_TRUE(SameLinePixels(picture_.persistentImage(), *back, true));
}

TEST_F(PatternLibraryTest, JpegRoundTripKeepsTheLinePixelsOfBlackLineArt) {
    DrawLineArt(picture_, 0);
    picture_.paintOnTarget([](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(20, 140, 180, 100);
        painter.drawEllipse(QPoint(100, 110), 30, 20);
    });
    const QImage original = picture_.persistentImage();
    StorePattern(context_, 2);
    const std::optional<QImage> back = DecodePictureFile(inProgram(QStringLiteral(" 3.jpg")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), QSize(200, 150));
    EXPECT_TRUE(SameLinePixels(original, *back, false));
}

TEST_F(PatternLibraryTest, FailingJpegFallsBackToBmpWithOneMessagePerStore) {
    context_.saveJpeg = FailingJpeg;
    DrawLineArt(picture_, 1);
    StorePattern(context_, 0);
    EXPECT_EQ(dialogs_.messages, std::vector<Message>{kJpegFallbackMessage});
    EXPECT_FALSE(QFile::exists(inProgram(QStringLiteral(" 1.jpg"))));
    const std::optional<QImage> back = DecodePictureFile(inProgram(QStringLiteral(" 1.bmp")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->convertToFormat(QImage::Format_RGB32), picture_.persistentImage());
    EXPECT_EQ(statusTexts().back(), QStringLiteral("登録完了 "));
    EXPECT_EQ(window_.caption(), QStringLiteral("Stylorex [定型登録完了]"));

    StorePattern(context_, 0);
    EXPECT_EQ(dialogs_.messages.size(), 2u);
}

// A JPEG that cannot be replaced (write-protected, say) stays beside the BMP the store falls
// back to; the load brings back what the store wrote, and a file that cannot be read gives way
// to the other one.
TEST_F(PatternLibraryTest, LoadBringsBackWhatTheLastStoreWroteAndPassesOverADamagedFile) {
    DrawLineArt(picture_, 0);
    StorePattern(context_, 1);
    setModified(inProgram(QStringLiteral(" 2.jpg")), QDateTime::currentDateTime().addSecs(-60));
    picture_.setPicture(QImage());
    DrawLineArt(picture_, 5);
    const QImage bmpPicture = picture_.persistentImage();
    context_.saveJpeg = FailingJpeg;
    StorePattern(context_, 1);
    ASSERT_TRUE(PatternFileExists(inProgram(QStringLiteral(" 2.jpg"))));
    picture_.setPicture(QImage());
    LoadPattern(context_, 1);
    EXPECT_EQ(picture_.persistentImage(), bmpPicture);

    // A damaged JPEG, newer than the BMP beside it.
    ASSERT_TRUE(WriteFile(inProgram(QStringLiteral(" 2.jpg")), QByteArray("\xFF\xD8 cut")));
    setModified(inProgram(QStringLiteral(" 2.jpg")), QDateTime::currentDateTime().addSecs(60));
    picture_.setPicture(QImage());
    forgetProgress();
    LoadPattern(context_, 1);
    EXPECT_EQ(picture_.persistentImage(), bmpPicture);
    EXPECT_EQ(statusTexts().back(), QStringLiteral("ロード完了"));
    EXPECT_TRUE(dialogs_.messages.empty());
}

// A link planted under a pattern's name must not let a store overwrite another file.
TEST_F(PatternLibraryTest, AStoreReplacesASymbolicLinkAndLeavesItsTargetAlone) {
    const QString target = root_.filePath(QStringLiteral("someone-elses.txt"));
    ASSERT_TRUE(WriteFile(target, QByteArray("not a picture")));
    ASSERT_TRUE(QFile::link(target, inProgram(QStringLiteral(" 2.jpg"))));
    DrawLineArt(picture_, 4);
    StorePattern(context_, 1);
    EXPECT_EQ(fileBytes(target), QByteArray("not a picture"));
    EXPECT_FALSE(QFileInfo(inProgram(QStringLiteral(" 2.jpg"))).isSymLink());
    const std::optional<QImage> back = DecodePictureFile(inProgram(QStringLiteral(" 2.jpg")));
    ASSERT_TRUE(back);
    EXPECT_TRUE(SameLinePixels(picture_.persistentImage(), *back, true));
}

TEST_F(PatternLibraryTest, ASlotWithOnlyABmpLoadsTheBmp) {
    context_.saveJpeg = FailingJpeg;
    DrawLineArt(picture_, 3);
    StorePattern(context_, 3);
    const QImage stored = picture_.persistentImage();
    picture_.setPicture(QImage());
    forgetProgress();
    LoadPattern(context_, 3);
    EXPECT_EQ(picture_.persistentImage(), stored);
    EXPECT_EQ(statusTexts().back(), QStringLiteral("ロード完了"));
}

TEST_F(PatternLibraryTest, EmptySlotShowsTheMessageAndChangesNothingElse) {
    DrawLineArt(picture_, 0);
    const QImage before = picture_.persistentImage();
    LoadPattern(context_, 4);
    EXPECT_EQ(dialogs_.messages, std::vector<Message>{kEmptySlotMessage});
    EXPECT_EQ(picture_.persistentImage(), before);
    EXPECT_TRUE(window_.statuses.empty());
    EXPECT_TRUE(window_.captions.empty());
}

TEST_F(PatternLibraryTest, AFolderNamedLikeAPatternIsNoPattern) {
    ASSERT_TRUE(QDir(programFolder_).mkdir(QStringLiteral(" 5.jpg")));
    ASSERT_TRUE(QDir(programFolder_).mkdir(QStringLiteral(" 5.bmp")));
    EXPECT_FALSE(PatternFileExists(inProgram(QStringLiteral(" 5.jpg"))));
    LoadPattern(context_, 4);
    EXPECT_EQ(dialogs_.messages, std::vector<Message>{kEmptySlotMessage});
}

TEST_F(PatternLibraryTest, LoadKeepsTheCanvasSizeAndDoesNotCommit) {
    QImage big(400, 300, QImage::Format_RGB32);
    big.fill(Qt::black);
    ASSERT_TRUE(big.save(inProgram(QStringLiteral(" 6.bmp")), "BMP"));
    const QImage committedBefore = picture_.picture();
    LoadPattern(context_, 5);
    EXPECT_EQ(picture_.ScaleWidth(), 200);
    EXPECT_EQ(picture_.ScaleHeight(), 150);
    EXPECT_EQ(picture_.persistentImage().pixel(199, 149) & 0xFFFFFF, 0u);
    EXPECT_EQ(picture_.picture().size(), QSize(400, 300));
    EXPECT_NE(picture_.picture().size(), committedBefore.size());
}

TEST_F(PatternLibraryTest, AnUnreadablePatternFileShowsAMessageAndKeepsTheCanvas) {
    QFile file(inProgram(QStringLiteral(" 6.jpg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a picture");
    file.close();
    DrawLineArt(picture_, 2);
    const QImage before = picture_.persistentImage();
    LoadPattern(context_, 5);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].title, QStringLiteral("定型ロード"));
    EXPECT_NE(dialogs_.messages[0], kEmptySlotMessage);
    EXPECT_EQ(picture_.persistentImage(), before);
    EXPECT_NE(statusTexts().back(), QStringLiteral("ロード完了"));
}

TEST_F(PatternLibraryTest, StoreAndLoadAreRefusedWhileARunIsInProgress) {
    DrawLineArt(picture_, 0);
    picture_.setAutoRedraw(false);
    runState_.begin(QPoint());
    StorePattern(context_, 0);
    EXPECT_FALSE(QFile::exists(inProgram(QStringLiteral(" 1.jpg"))));
    EXPECT_FALSE(picture_.AutoRedraw());  // not committed
    EXPECT_TRUE(picture_.picture().isNull());
    LoadPattern(context_, 0);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_TRUE(window_.statuses.empty());
    EXPECT_TRUE(window_.captions.empty());
}

TEST_F(PatternLibraryTest, RootFolderPathsHaveASingleSeparator) {
    context_.programFolder = QStringLiteral("/");
    QString written;
    context_.saveJpeg = [&](const QImage&, int, int, const QString& path, quint8 quality,
                            int flags) {
        written = path;
        EXPECT_EQ(quality, 90);
        EXPECT_EQ(flags, 0);
        return true;
    };
    StorePattern(context_, 2);
    EXPECT_EQ(written,
              JoinPath(PatternStoreFolder(context_.programFolder), QStringLiteral(" 3.jpg")));
    EXPECT_FALSE(written.contains(QStringLiteral("//")));
    if (PatternStoreFolder(context_.programFolder) == QStringLiteral("/")) {
        EXPECT_EQ(written, QStringLiteral("/ 3.jpg"));
    }
}

TEST_F(PatternLibraryTest, ReadOnlyProgramFolderStoresInThePerUserFolderAndLoadsFromThere) {
    DrawLineArt(picture_, 0);
    StorePattern(context_, 0);  // an older pattern in the program folder
    const QImage older = picture_.persistentImage();
    ASSERT_TRUE(QFile::setPermissions(programFolder_, QFile::ReadOwner | QFile::ExeOwner));
    test::PermissionBitsApply permissions;
    ASSERT_TRUE(permissions.active());

    picture_.setPicture(QImage());
    DrawLineArt(picture_, 6);
    const QImage newer = picture_.persistentImage();
    forgetProgress();
    StorePattern(context_, 0);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_TRUE(PatternFileExists(inPerUser(QStringLiteral(" 1.jpg"))));
    EXPECT_EQ(statusTexts().back(), QStringLiteral("登録完了 "));

    // The folder that takes stores now comes first: the newer picture is loaded.
    picture_.setPicture(QImage());
    LoadPattern(context_, 0);
    EXPECT_TRUE(SameLinePixels(newer, picture_.persistentImage(), true));
    EXPECT_FALSE(SameLinePixels(older, picture_.persistentImage(), true));

    // Only in the program folder: still found.
    ASSERT_TRUE(QFile::remove(inPerUser(QStringLiteral(" 1.jpg"))));
    picture_.setPicture(QImage());
    LoadPattern(context_, 0);
    EXPECT_TRUE(SameLinePixels(older, picture_.persistentImage(), true));
}

// Installed by the package in /usr/bin, the program stores its patterns per user, also for root.
TEST_F(PatternLibraryTest, ThePackagedProgramFolderStoresInThePerUserFolder) {
    context_.programFolder = QStringLiteral("/usr/bin/");
    QString written;
    context_.saveJpeg = [&](const QImage&, int, int, const QString& path, quint8, int) {
        written = path;
        return true;
    };
    StorePattern(context_, 0);
    EXPECT_EQ(written, inPerUser(QStringLiteral(" 1.jpg")));
}

TEST_F(PatternLibraryTest, WhenNoFolderTakesTheFileTheStoreSaysSoAndClaimsNoSuccess) {
    ASSERT_TRUE(QDir().mkpath(dataHome_));
    ASSERT_TRUE(QFile::setPermissions(programFolder_, QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(dataHome_, QFile::ReadOwner | QFile::ExeOwner));
    test::PermissionBitsApply permissions;
    ASSERT_TRUE(permissions.active());
    DrawLineArt(picture_, 0);
    StorePattern(context_, 0);
    ASSERT_EQ(dialogs_.messages.size(), 2u);
    EXPECT_EQ(dialogs_.messages[0], kJpegFallbackMessage);
    EXPECT_EQ(
        dialogs_.messages[1],
        (Message{QStringLiteral("定型画像を保存できませんでした: %1（%2）。登録されていません")
                     .arg(inPerUser(QStringLiteral(" 1.bmp")),
                          QString::fromLocal8Bit(std::strerror(ENOENT))),
                 QStringLiteral("定型登録")}));
    for (const QString& text : statusTexts()) {
        EXPECT_NE(text, QStringLiteral("登録完了 "));
    }
    EXPECT_EQ(window_.caption(), QStringLiteral("Stylorex [定型登録失敗]"));
    EXPECT_EQ(statusTexts().back(), QStringLiteral("登録失敗"));
}

}  // namespace
}  // namespace stylorex
