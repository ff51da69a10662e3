#include "imaging/picture_decoder.h"

#include "imaging/metafile_converter.h"
#include "os/standard_error_capture.h"
#include "tests/support/picture_files.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

using namespace stylorex::test;

QImage decoded(const QByteArray& data) {
    const std::optional<QImage> image = DecodePictureData(data);
    return image ? *image : QImage();
}

TEST(PictureDecoder, IndexedBitmapsOfOneFourAndEightBitsDecodeExactly) {
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        const QImage image = decoded(IndexedBmp(13, 7, bits));
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(SamePixels(image, ReferencePicture(13, 7, 1 << bits)));
    }
}

TEST(PictureDecoder, RunLengthEncodedBitmapsDecodeExactly) {
    const QImage rle8 = decoded(Rle8Bmp(17, 9));
    ASSERT_FALSE(rle8.isNull());
    EXPECT_TRUE(SamePixels(rle8, ReferencePicture(17, 9, 256)));
    const QImage rle4 = decoded(Rle4Bmp(17, 9));
    ASSERT_FALSE(rle4.isNull());
    EXPECT_TRUE(SamePixels(rle4, ReferencePicture(17, 9, 16)));
}

TEST(PictureDecoder, TrueColourBitmapsOf24And32BitsDecodeExactly) {
    const QImage reference = ReferencePicture(11, 5, 16);
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        const QByteArray bmp = TrueColourBmp(reference, bits);
        EXPECT_TRUE(SamePixels(decoded(bmp), reference));
    }
    // Qt's own writer, as the pattern library's BMP fallback uses it.
    EXPECT_TRUE(SamePixels(decoded(QtWritten(reference, "bmp")), reference));
}

TEST(PictureDecoder, PngGifIconAndCursorDecodeExactly) {
    const QImage reference = ReferencePicture(16, 16, 4);
    EXPECT_TRUE(SamePixels(decoded(QtWritten(reference, "png")), reference));
    EXPECT_TRUE(SamePixels(decoded(Gif(16, 16, 1)), reference));
    EXPECT_TRUE(SamePixels(decoded(Ico(reference)), reference));
    EXPECT_TRUE(SamePixels(decoded(Cur(reference)), reference));
}

TEST(PictureDecoder, AnimatedGifGivesItsFirstFrame) {
    const QImage image = decoded(Gif(12, 10, 3));
    EXPECT_TRUE(SamePixels(image, ReferencePicture(12, 10, 4)));
}

TEST(PictureDecoder, JpegDecodesAtItsSizeWithItsColoursClose) {
    QImage reference(40, 30, QImage::Format_RGB32);
    reference.fill(Qt::white);
    for (int x = 0; x < 20; ++x) {
        for (int y = 0; y < 30; ++y) {
            reference.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    const QImage image = decoded(QtWritten(reference, "jpeg", 95));
    ASSERT_EQ(image.size(), QSize(40, 30));
    EXPECT_LT(qGray(image.pixel(5, 15)), 20);
    EXPECT_GT(qGray(image.pixel(35, 15)), 235);
}

void expectBlackRectangleOnWhite(const QImage& image, QSize size, QRect black) {
    ASSERT_EQ(image.size(), size);
    EXPECT_EQ(image.pixel(black.center()) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(black.left() + 1, black.top() + 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(black.right() - 1, black.bottom() - 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(black.left() - 3, black.center().y()) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(black.right() + 3, black.center().y()) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(size.width() - 1, size.height() - 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(PictureDecoder, WindowsMetafileRendersAtItsStoredSize) {
    const QByteArray wmf = Wmf(120, 80, 20, 10, 60, 50);
    ASSERT_EQ(DetectMetafile(wmf), MetafileKind::Windows);
    expectBlackRectangleOnWhite(decoded(wmf), QSize(120, 80), QRect(20, 10, 40, 40));
}

TEST(PictureDecoder, EnhancedMetafileRendersAtItsStoredSize) {
    const QByteArray emf = Emf(150, 90, 30, 20, 80, 60);
    ASSERT_EQ(DetectMetafile(emf), MetafileKind::Enhanced);
    expectBlackRectangleOnWhite(decoded(emf), QSize(150, 90), QRect(30, 20, 50, 40));
}

// The drawing of a converted metafile runs in the child as well: a file whose drawing alone
// outlasts the limit is refused once the limit is reached, not drawn while the window waits.
TEST(PictureDecoder, AMetafileWhoseDrawingOutlastsTheLimitIsRefusedWithinIt) {
    IsolationLimits limits;
    limits.timeoutMs = 1000;
    // Converted in a few tens of milliseconds, drawn in seconds.
    const QByteArray slow = WidePenEmf(1000, 1000, 10000);
    ASSERT_TRUE(DecodePictureData(WidePenEmf(200, 200, 5), nullptr, limits));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(DecodePictureData(slow, nullptr, limits));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
}

TEST(PictureDecoder, HeadersStatingHugePicturesAreRefused) {
    EXPECT_FALSE(DecodePictureData(HugeBmpHeader(30000, 30000)));
    EXPECT_FALSE(DecodePictureData(HugePngHeader(30000, 30000)));
    EXPECT_FALSE(DecodePictureData(HugeGifHeader(30000, 30000)));
    EXPECT_FALSE(DecodePictureData(HugeJpegHeader(30000, 30000)));
    EXPECT_FALSE(DecodePictureData(HugeWmfHeader(30000, 30000)));
    EXPECT_FALSE(DecodePictureData(HugeEmfHeader(30000, 30000)));
}

// A cut-off file is refused; a damaged byte ends in a refusal or a picture no larger than the
// limits, never in a crash or a hang (run under the sanitizers as well).
TEST(PictureDecoder, TruncatedFilesAreRefusedAndDamagedOnesNeverCrash) {
    const QImage reference = ReferencePicture(24, 20, 4);
    const QList<QByteArray> files = {IndexedBmp(24, 20, 1),
                                     IndexedBmp(24, 20, 4),
                                     IndexedBmp(24, 20, 8),
                                     Rle8Bmp(24, 20),
                                     Rle4Bmp(24, 20),
                                     QtWritten(reference, "bmp"),
                                     QtWritten(reference, "png"),
                                     QtWritten(reference, "jpeg"),
                                     Gif(24, 20, 1),
                                     Ico(reference),
                                     Cur(reference),
                                     Wmf(24, 20, 2, 2, 10, 10),
                                     Emf(24, 20, 2, 2, 10, 10)};
    for (const QByteArray& file : files) {
        for (const double fraction : {0.1, 0.5, 0.9}) {
            const QByteArray cut = file.left(qsizetype(file.size() * fraction));
            EXPECT_FALSE(DecodePictureData(cut))
                << "format " << files.indexOf(file) << " cut at " << fraction;
        }
        for (qsizetype at = 2; at < file.size(); at += 7) {
            QByteArray damaged = file;
            damaged[at] = char(~damaged[at]);
            const std::optional<QImage> image = DecodePictureData(damaged);
            if (image) {
                EXPECT_LE(qint64(image->width()) * image->height(), kMaxPicturePixels);
            }
        }
    }
}

TEST(PictureDecoder, AGifCutInItsSecondFrameStillGivesItsFirstFrame) {
    const QByteArray gif = Gif(24, 20, 2);
    const std::optional<QImage> image = DecodePictureData(gif.left(gif.size() - 20));
    ASSERT_TRUE(image);
    EXPECT_TRUE(SamePixels(*image, ReferencePicture(24, 20, 4)));
}

TEST(PictureDecoder, TextAndEmptyFilesAreNoPictures) {
    EXPECT_FALSE(DecodePictureData(QByteArray()));
    EXPECT_FALSE(DecodePictureData(QByteArray("just some words, not a picture")));
}

// The user reads why; libpng's own complaint, which it prints itself, is part of the reason.
TEST(PictureDecoder, ARefusalSaysWhyAndKeepsTheLibrariesOffTheTerminal) {
    QByteArray png = QtWritten(ReferencePicture(24, 20, 4), "png");
    png[png.indexOf("IDAT") + 8] ^= 0x5A;
    const StandardErrorCapture terminal;
    QString reason;
    EXPECT_FALSE(DecodePictureData(png, &reason));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("画像データが壊れているか、途中で切れています")))
        << reason.toStdString();
    EXPECT_TRUE(reason.contains(QStringLiteral("libpng error: IDAT: "))) << reason.toStdString();
    const QByteArray whole = QtWritten(ReferencePicture(24, 20, 4), "png");
    EXPECT_FALSE(DecodePictureData(whole.left(whole.indexOf("IEND") - 20), &reason));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("画像データが壊れているか、途中で切れています（")))
        << reason.toStdString();
    EXPECT_TRUE(reason.contains(QStringLiteral("libpng error: "))) << reason.toStdString();
    EXPECT_FALSE(DecodePictureData(HugePngHeader(30000, 20000), &reason));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("画像が大きすぎます（30000×20000 画素。")))
        << reason.toStdString();
    const QTemporaryDir folder;
    EXPECT_FALSE(DecodePictureFile(folder.path(), &reason));
    EXPECT_TRUE(reason.contains(QString::fromLocal8Bit(std::strerror(EISDIR))))
        << reason.toStdString();
    EXPECT_EQ(terminal.text(), QString());
}

TEST(PictureDecoder, FilesAreReadByContentWhateverTheirName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("picture.jpg"));
    ASSERT_TRUE(WriteFile(path, Gif(8, 8, 1)));
    const std::optional<QImage> image = DecodePictureFile(path);
    ASSERT_TRUE(image);
    EXPECT_TRUE(SamePixels(*image, ReferencePicture(8, 8, 4)));
    EXPECT_FALSE(DecodePictureFile(dir.filePath(QStringLiteral("missing.bmp"))));
    EXPECT_FALSE(DecodePictureFile(dir.path()));
}

// Opening a named pipe for reading waits for a writer: the decoder must not.
TEST(PictureDecoder, ANamedPipeIsRefusedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("x.bmp")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    std::future<bool> decoded = std::async(
        std::launch::async, [&] { return DecodePictureFile(QFile::decodeName(fifo)).has_value(); });
    if (decoded.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Free the reader so the test can end, then report the wait.
        const int writer = ::open(fifo.constData(), O_WRONLY);
        ::close(writer);
        ADD_FAILURE() << "the decoder waited for a writer of the pipe";
    }
    EXPECT_FALSE(decoded.get());
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // CTest lists the cases before every run, also where no display is open: listing needs no
    // application.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
