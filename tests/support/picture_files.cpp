#include "tests/support/picture_files.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>

#include <cstdint>

namespace stylorex::test {

namespace {

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}
void put32(QByteArray& out, qint64 value) {
    put16(out, int(value & 0xFFFF));
    put16(out, int((value >> 16) & 0xFFFF));
}
void set32(QByteArray& out, int offset, quint32 value) {
    qToLittleEndian<quint32>(value, out.data() + offset);
}
void putBe32(QByteArray& out, quint32 value) {
    out.append(char(value >> 24));
    out.append(char(value >> 16));
    out.append(char(value >> 8));
    out.append(char(value));
}

// BITMAPFILEHEADER + BITMAPINFOHEADER + palette; the caller appends the pixel data and
// patches the sizes with finishBmp.
QByteArray bmpHeaders(int width, int height, int bits, int compression, int colours) {
    QByteArray out;
    out.append("BM");
    put32(out, 0);  // file size, patched later
    put32(out, 0);
    put32(out, 14 + 40 + 4 * colours);
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, bits);
    put32(out, compression);
    put32(out, 0);  // image size, patched later
    put32(out, 3780);
    put32(out, 3780);
    put32(out, colours);
    put32(out, 0);
    for (QRgb c : Palette(colours)) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
    return out;
}

void finishBmp(QByteArray& out, int colours) {
    const int pixelsAt = 14 + 40 + 4 * colours;
    set32(out, 2, quint32(out.size()));
    set32(out, 34, quint32(out.size() - pixelsAt));
}

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// Packs LZW codes of `codeBits` bits, least significant bit first, into GIF sub-blocks.
QByteArray gifSubBlocks(const QList<int>& codes, int codeBits) {
    QByteArray packed;
    quint32 acc = 0;
    int accBits = 0;
    for (int code : codes) {
        acc |= quint32(code) << accBits;
        accBits += codeBits;
        while (accBits >= 8) {
            packed.append(char(acc & 0xFF));
            acc >>= 8;
            accBits -= 8;
        }
    }
    if (accBits > 0) {
        packed.append(char(acc & 0xFF));
    }
    QByteArray out;
    for (int at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));
    return out;
}

// WMF records: size in 16-bit words, function, parameters.
void wmfRecord(QByteArray& out, int function, const QList<int>& params) {
    put32(out, 3 + params.size());
    put16(out, function);
    for (int p : params) {
        put16(out, p);
    }
}

void emfRecord(QByteArray& out, int type, const QList<qint64>& params) {
    put32(out, type);
    put32(out, 8 + 4 * params.size());
    for (qint64 p : params) {
        put32(out, p);
    }
}

QByteArray emfHeader(int width, int height, int records, int bytes) {
    QByteArray out;
    const int frameRight = width * 2540 / 96;
    const int frameBottom = height * 2540 / 96;
    put32(out, 1);
    put32(out, 88);
    put32(out, 0);  // bounds, device pixels, inclusive
    put32(out, 0);
    put32(out, width - 1);
    put32(out, height - 1);
    put32(out, 0);  // frame, hundredths of a millimetre
    put32(out, 0);
    put32(out, frameRight);
    put32(out, frameBottom);
    put32(out, 0x464D4520);
    put32(out, 0x10000);
    put32(out, bytes);
    put32(out, records);
    put16(out, 2);  // handles
    put16(out, 0);
    put32(out, 0);  // description
    put32(out, 0);
    put32(out, 0);     // palette entries
    put32(out, 1024);  // reference device, pixels
    put32(out, 768);
    put32(out, 271);  // reference device, millimetres (96 dpi)
    put32(out, 203);
    return out;
}

}  // namespace

QList<QRgb> Palette(int colours) {
    static const QList<QRgb> base = {
        qRgb(0, 0, 0),     qRgb(255, 255, 255), qRgb(255, 0, 0),     qRgb(0, 128, 0),
        qRgb(0, 0, 255),   qRgb(255, 255, 0),   qRgb(0, 255, 255),   qRgb(255, 0, 255),
        qRgb(128, 0, 0),   qRgb(0, 0, 128),     qRgb(128, 128, 0),   qRgb(128, 0, 128),
        qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(64, 32, 16)};
    QList<QRgb> out;
    for (int i = 0; i < colours; ++i) {
        out << (i < base.size() ? base[i] : qRgb(i, 255 - i, (i * 7) & 0xFF));
    }
    return out;
}

int ReferenceIndex(int x, int y, int colours) {
    return (x / 2 + y * 3 + (x * y) % 5) % colours;
}

QImage ReferencePicture(int width, int height, int colours) {
    QImage image(width, height, QImage::Format_RGB32);
    const QList<QRgb> palette = Palette(colours);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, palette[ReferenceIndex(x, y, colours)]);
        }
    }
    return image;
}

QByteArray IndexedBmp(int width, int height, int bits) {
    const int colours = 1 << bits;
    QByteArray out = bmpHeaders(width, height, bits, 0, colours);
    const int stride = ((width * bits + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const int index = ReferenceIndex(x, y, colours);
            const int bit = x * bits;
            row[bit / 8] = char(quint8(row[bit / 8]) | (index << (8 - bits - bit % 8)));
        }
        out.append(row);
    }
    finishBmp(out, colours);
    return out;
}

QByteArray Rle8Bmp(int width, int height) {
    const int colours = 256;
    QByteArray out = bmpHeaders(width, height, 8, 1, colours);
    for (int y = height - 1; y >= 0; --y) {
        int x = 0;
        // One absolute run of three pixels (padded to a word) at the start of each row.
        if (width >= 3) {
            out.append(char(0));
            out.append(char(3));
            for (int k = 0; k < 3; ++k) {
                out.append(char(ReferenceIndex(k, y, colours)));
            }
            out.append(char(0));
            x = 3;
        }
        while (x < width) {
            const int index = ReferenceIndex(x, y, colours);
            int run = 1;
            while (x + run < width && run < 255 && ReferenceIndex(x + run, y, colours) == index) {
                ++run;
            }
            out.append(char(run));
            out.append(char(index));
            x += run;
        }
        out.append(char(0));
        out.append(char(0));
    }
    out.append(char(0));
    out.append(char(1));
    finishBmp(out, colours);
    return out;
}

QByteArray Rle4Bmp(int width, int height) {
    const int colours = 16;
    QByteArray out = bmpHeaders(width, height, 4, 2, colours);
    for (int y = height - 1; y >= 0; --y) {
        int x = 0;
        // One absolute run of four pixels (two bytes, a word) at the start of each row.
        if (width >= 4) {
            out.append(char(0));
            out.append(char(4));
            out.append(char((ReferenceIndex(0, y, colours) << 4) | ReferenceIndex(1, y, colours)));
            out.append(char((ReferenceIndex(2, y, colours) << 4) | ReferenceIndex(3, y, colours)));
            x = 4;
        }
        while (x < width) {
            const int index = ReferenceIndex(x, y, colours);
            int run = 1;
            while (x + run < width && run < 255 && ReferenceIndex(x + run, y, colours) == index) {
                ++run;
            }
            out.append(char(run));
            out.append(char((index << 4) | index));
            x += run;
        }
        out.append(char(0));
        out.append(char(0));
    }
    out.append(char(0));
    out.append(char(1));
    finishBmp(out, colours);
    return out;
}

QByteArray TrueColourBmp(const QImage& image, int bits) {
    QByteArray out = bmpHeaders(image.width(), image.height(), bits, 0, 0);
    const int bytes = bits / 8;
    const int stride = ((image.width() * bits + 31) / 32) * 4;
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            row[x * bytes] = char(qBlue(c));
            row[x * bytes + 1] = char(qGreen(c));
            row[x * bytes + 2] = char(qRed(c));
        }
        out.append(row);
    }
    finishBmp(out, 0);
    return out;
}

QByteArray QtWritten(const QImage& image, const char* format, int quality) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) {
        writer.setQuality(quality);
    }
    writer.write(image);
    return out;
}

QByteArray Gif(int width, int height, int frames) {
    const int colours = 4;
    QByteArray out("GIF89a");
    put16(out, width);
    put16(out, height);
    out.append(char(0x80 | 0x01));  // global colour table of 4 entries
    out.append(char(0));
    out.append(char(0));
    for (QRgb c : Palette(colours)) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    for (int frame = 0; frame < frames; ++frame) {
        // Graphic control: no disposal, a short delay, so readers see an animation.
        out.append(char(0x21));
        out.append(char(0xF9));
        out.append(char(4));
        out.append(char(0x04));
        put16(out, 10);
        out.append(char(0));
        out.append(char(0));
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, width);
        put16(out, height);
        out.append(char(0));
        const int minCodeSize = 2;
        const int clear = 1 << minCodeSize;
        const int end = clear + 1;
        QList<int> codes;
        int sinceClear = 2;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (sinceClear == 2) {
                    codes << clear;
                    sinceClear = 0;
                }
                codes << (ReferenceIndex(x, y, colours) + frame) % colours;
                ++sinceClear;
            }
        }
        codes << end;
        out.append(char(minCodeSize));
        out.append(gifSubBlocks(codes, minCodeSize + 1));
    }
    out.append(char(0x3B));
    return out;
}

QByteArray Ico(const QImage& image) {
    return QtWritten(image.convertToFormat(QImage::Format_ARGB32), "ico");
}

QByteArray Cur(const QImage& image) {
    QByteArray out = Ico(image);
    if (out.size() < 22) {
        return out;
    }
    qToLittleEndian<quint16>(2, out.data() + 2);   // type: cursor
    qToLittleEndian<quint16>(1, out.data() + 10);  // hot spot x in place of the planes
    qToLittleEndian<quint16>(2, out.data() + 12);  // hot spot y in place of the bit count
    return out;
}

QByteArray Wmf(int width, int height, int x0, int y0, int x1, int y1) {
    // Logical units are twips (1440 per inch): 15 per pixel at 96 dpi.
    constexpr int kUnit = 15;
    QByteArray body;
    wmfRecord(body, 0x020B, {0, 0});                               // SETWINDOWORG (y, x)
    wmfRecord(body, 0x020C, {height * kUnit, width * kUnit});      // SETWINDOWEXT (y, x)
    wmfRecord(body, 0x02FC, {0 /*BS_SOLID*/, 0x0000, 0x0000, 0});  // CREATEBRUSHINDIRECT
    wmfRecord(body, 0x012D, {0});                                  // SELECTOBJECT
    wmfRecord(body, 0x02FA, {5 /*PS_NULL*/, 0, 0, 0, 0});          // CREATEPENINDIRECT
    wmfRecord(body, 0x012D, {1});                                  // SELECTOBJECT
    wmfRecord(body, 0x041B, {y1 * kUnit, x1 * kUnit, y0 * kUnit, x0 * kUnit});  // RECTANGLE
    wmfRecord(body, 0x0000, {});                                                // EOF

    QByteArray header;
    put32(header, 0x9AC6CDD7);
    put16(header, 0);
    put16(header, 0);
    put16(header, 0);
    put16(header, width * kUnit);
    put16(header, height * kUnit);
    put16(header, 1440);
    put32(header, 0);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i) {
        checksum ^= qFromLittleEndian<quint16>(header.constData() + 2 * i);
    }
    put16(header, checksum);

    QByteArray meta;
    put16(meta, 1);
    put16(meta, 9);
    put16(meta, 0x0300);
    put32(meta, 9 + body.size() / 2);
    put16(meta, 2);  // objects
    put32(meta, 8);  // largest record, words
    put16(meta, 0);
    return header + meta + body;
}

QByteArray Emf(int width, int height, int x0, int y0, int x1, int y1) {
    QByteArray body;
    emfRecord(body, 39, {1, 0 /*BS_SOLID*/, 0x000000, 0});  // CREATEBRUSHINDIRECT, handle 1
    emfRecord(body, 37, {1});                               // SELECTOBJECT
    emfRecord(body, 37, {0x80000008});                      // SELECTOBJECT NULL_PEN
    emfRecord(body, 43, {x0, y0, x1, y1});                  // RECTANGLE
    emfRecord(body, 14, {0, 16, 20});                       // EOF
    const QByteArray header = emfHeader(width, height, 6, 88 + body.size());
    return header + body;
}

QByteArray WidePenEmf(int width, int height, int lines) {
    QByteArray body;
    emfRecord(body, 38, {1, 0x10000 /*PS_GEOMETRIC*/, width / 4, 0, 0x000000});  // CREATEPEN
    emfRecord(body, 37, {1});                                                    // SELECTOBJECT
    for (int i = 0; i < lines; ++i) {
        // Long lines across the whole picture, each at its own angle.
        emfRecord(body, 27, {(i * 37) % width, 0});                       // MOVETOEX
        emfRecord(body, 54, {width - 1 - (i * 53) % width, height - 1});  // LINETO
    }
    emfRecord(body, 14, {0, 16, 20});  // EOF
    const QByteArray header = emfHeader(width, height, 4 + 2 * lines, 88 + body.size());
    return header + body;
}

QByteArray HugeBmpHeader(int width, int height) {
    QByteArray out = bmpHeaders(width, height, 24, 0, 0);
    out.append(QByteArray(64, '\x7f'));
    set32(out, 2, quint32(14 + 40 + qint64(width) * 3 * height));
    return out;
}

QByteArray HugePngHeader(int width, int height) {
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr("IHDR");
    putBe32(ihdr, quint32(width));
    putBe32(ihdr, quint32(height));
    ihdr.append(char(8));  // bit depth
    ihdr.append(char(2));  // RGB
    ihdr.append(char(0));
    ihdr.append(char(0));
    ihdr.append(char(0));
    putBe32(out, 13);
    out.append(ihdr);
    putBe32(out, crc32(ihdr));
    QByteArray idat("IDAT");
    idat.append(QByteArray::fromHex("789c63600000000200015e"));
    putBe32(out, quint32(idat.size() - 4));
    out.append(idat);
    putBe32(out, crc32(idat));
    QByteArray iend("IEND");
    putBe32(out, 0);
    out.append(iend);
    putBe32(out, crc32(iend));
    return out;
}

QByteArray HugeGifHeader(int width, int height) {
    QByteArray out = Gif(4, 4, 1);
    qToLittleEndian<quint16>(quint16(width), out.data() + 6);
    qToLittleEndian<quint16>(quint16(height), out.data() + 8);
    // The image descriptor follows the header (13), palette (12) and graphic control (8).
    const int descriptor = 13 + 12 + 8;
    qToLittleEndian<quint16>(quint16(width), out.data() + descriptor + 5);
    qToLittleEndian<quint16>(quint16(height), out.data() + descriptor + 7);
    return out;
}

QByteArray HugeJpegHeader(int width, int height) {
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray out = QtWritten(small, "jpeg", 90);
    // Baseline start-of-frame: FF C0, length, precision, then height and width (big-endian).
    const int sof = int(out.indexOf(QByteArray("\xFF\xC0", 2)));
    if (sof >= 0) {
        qToBigEndian<quint16>(quint16(height), out.data() + sof + 5);
        qToBigEndian<quint16>(quint16(width), out.data() + sof + 7);
    }
    return out;
}

QByteArray HugeWmfHeader(int width, int height) {
    // 96 units per inch: one unit per pixel, so 16-bit extents can state 30,000 pixels.
    QByteArray out = Wmf(4, 4, 0, 0, 2, 2);
    qToLittleEndian<qint16>(qint16(width), out.data() + 10);
    qToLittleEndian<qint16>(qint16(height), out.data() + 12);
    qToLittleEndian<quint16>(96, out.data() + 14);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i) {
        checksum ^= qFromLittleEndian<quint16>(out.constData() + 2 * i);
    }
    qToLittleEndian<quint16>(checksum, out.data() + 20);
    return out;
}

QByteArray HugeEmfHeader(int width, int height) {
    return Emf(width, height, 0, 0, 10, 10);
}

bool WriteFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

bool SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace stylorex::test
