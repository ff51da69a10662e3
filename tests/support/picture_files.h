#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

namespace stylorex::test {

// Picture files built in code for the decoder's tests. Indexed pictures use Palette(colours)
// and the pixel indices of ReferenceIndex, so a decoded picture can be checked pixel by pixel.
QList<QRgb> Palette(int colours);
int ReferenceIndex(int x, int y, int colours);
// The picture the indexed files encode, in 32-bit form.
QImage ReferencePicture(int width, int height, int colours);

// Uncompressed BMP of 1, 4 or 8 bits per pixel, rows bottom-up as Windows writes them.
QByteArray IndexedBmp(int width, int height, int bits);
// RLE8 and RLE4 compressed BMPs (encoded runs plus one absolute run per row).
QByteArray Rle8Bmp(int width, int height);
QByteArray Rle4Bmp(int width, int height);
// Uncompressed 24- or 32-bit BMP of `image`, rows bottom-up.
QByteArray TrueColourBmp(const QImage& image, int bits);
// A BMP of any Qt image through Qt's writer (24 bits for RGB888, 32 bits with alpha).
QByteArray QtWritten(const QImage& image, const char* format, int quality = -1);

// A GIF with one frame per colour-index offset, 4 colours; frame k shows ReferenceIndex
// shifted by k. Uncompressed LZW (a clear code every second code).
QByteArray Gif(int width, int height, int frames);
// ICO via Qt's writer, and the same icon turned into a cursor (type 2, hot spot 1,2).
QByteArray Ico(const QImage& image);
QByteArray Cur(const QImage& image);

// Placeable Windows metafile, 1440 units per inch, `width` × `height` pixels at 96 dpi:
// a white page with a filled black rectangle from (x0, y0) to (x1, y1) (pixels).
QByteArray Wmf(int width, int height, int x0, int y0, int x1, int y1);
// Enhanced metafile of `width` × `height` pixels at 96 dpi (its frame), with the same content.
QByteArray Emf(int width, int height, int x0, int y0, int x1, int y1);

// Enhanced metafile of `width` × `height` pixels holding `lines` long lines drawn with a pen a
// quarter of the picture wide: quick to convert, its drawing time grows with `lines`.
QByteArray WidePenEmf(int width, int height, int lines);

// Headers that state a picture of width × height pixels followed by (almost) no pixel data.
QByteArray HugeBmpHeader(int width, int height);
QByteArray HugePngHeader(int width, int height);
QByteArray HugeGifHeader(int width, int height);
QByteArray HugeJpegHeader(int width, int height);
QByteArray HugeWmfHeader(int width, int height);
QByteArray HugeEmfHeader(int width, int height);

bool WriteFile(const QString& path, const QByteArray& data);

// Image equality on the RGB values only.
bool SamePixels(const QImage& a, const QImage& b);

}  // namespace stylorex::test
