#include "imaging/jpeg_writer.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

QImage lineArt(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 5; x < width - 5; ++x) {
        image.setPixel(x, height / 2, qRgb(0, 0, 0));
    }
    return image;
}

TEST(JpegWriter, WritesExactlyTheRequestedTopLeftPixels) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral(" 1.jpg"));
    ASSERT_TRUE(DCSavetoJPEG(lineArt(64, 48), 40, 30, path, 90, 0));
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage back = reader.read();
    ASSERT_EQ(back.size(), QSize(40, 30));
    EXPECT_LT(qGray(back.pixel(20, 24)), 60);
    EXPECT_GT(qGray(back.pixel(20, 5)), 200);
}

TEST(JpegWriter, ReportsFailureForAnUnwritablePathAndLeavesNoFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString inMissingFolder = dir.filePath(QStringLiteral("missing/ 1.jpg"));
    EXPECT_FALSE(DCSavetoJPEG(lineArt(20, 20), 20, 20, inMissingFolder, 90, 0));
    // A folder where the file should be: the rename cannot replace it.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral(" 2.jpg")));
    EXPECT_FALSE(
        DCSavetoJPEG(lineArt(20, 20), 20, 20, dir.filePath(QStringLiteral(" 2.jpg")), 90, 0));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

TEST(JpegWriter, RefusesSizesTheImageDoesNotHave) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.jpg"));
    EXPECT_FALSE(DCSavetoJPEG(lineArt(20, 20), 21, 20, path, 90, 0));
    EXPECT_FALSE(DCSavetoJPEG(lineArt(20, 20), 0, 20, path, 90, 0));
    EXPECT_FALSE(DCSavetoJPEG(QImage(), 1, 1, path, 90, 0));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(JpegWriter, ARefusedWriteKeepsTheOlderFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(" 3.jpg"));
    ASSERT_TRUE(DCSavetoJPEG(lineArt(30, 30), 30, 30, path, 90, 0));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    EXPECT_FALSE(DCSavetoJPEG(lineArt(30, 30), 31, 30, path, 90, 0));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

}  // namespace
}  // namespace stylorex
