#pragma once

// Small picture files made at test time (no binaries in the repository):
// Qt writes the formats it can write, ImageMagick the others, and the few
// files no encoder makes (a WMF, headers that declare huge sizes) are put
// together byte by byte here.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QtEndian>

#include <Magick++.h>

#include <list>
#include <mutex>
#include <stdexcept>
#include <string>

namespace fixtures {

// A picture whose four corners have different colours, so turns and
// mirrorings show.
inline QImage CornerPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    image.setPixelColor(0, 0, QColor(255, 0, 0));
    image.setPixelColor(width - 1, 0, QColor(0, 255, 0));
    image.setPixelColor(0, height - 1, QColor(255, 255, 0));
    image.setPixelColor(width - 1, height - 1, QColor(255, 255, 255));
    return image;
}

inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write fixture " + path.toStdString());
}

inline QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read fixture " + path.toStdString());
    return file.readAll();
}

// Writes `image` with Qt's writer of `format` ("png", "jpeg", "bmp", ...).
inline void WriteQt(const QString &path, const QByteArray &format, const QImage &image)
{
    QImageWriter writer(path, format);
    if (!writer.write(image))
        throw std::runtime_error("Qt cannot write fixture " + path.toStdString());
}

inline void InitMagick()
{
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

inline Magick::Image MagickPicture(int width, int height, const char *colour)
{
    InitMagick();
    Magick::Image image{Magick::Geometry{size_t(width), size_t(height)}, Magick::Color{colour}};
    image.pixelColor(0, 0, Magick::Color("red"));
    return image;
}

// Writes a `width` x `height` picture with ImageMagick's coder `format`
// ("PCX", "TGA", "GIF"), `pages` images in one file.
inline void WriteMagick(const QString &path, const std::string &format, int width, int height, int pages = 1)
{
    std::list<Magick::Image> images;
    for (int i = 0; i < pages; ++i)
        images.push_back(MagickPicture(width, height, i % 2 ? "green" : "blue"));
    Magick::writeImages(images.begin(), images.end(), format + ":" + path.toStdString(), true);
}

// A placeable Windows metafile with one rectangle over a bounding box of
// `twipsWide` x `twipsHigh` at 1440 units per inch; ImageMagick draws it at
// 72 dots per inch (1440 x 720 -> 72 x 36 pixels).
inline QByteArray WmfBytes(qint16 twipsWide, qint16 twipsHigh)
{
    QByteArray out;
    auto word = [&out](quint16 v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto dword = [&word](quint32 v) { word(quint16(v & 0xFFFF)); word(quint16(v >> 16)); };
    const quint16 placeable[10] = {0xCDD7, 0x9AC6, 0, 0, 0, quint16(twipsWide), quint16(twipsHigh), 1440, 0, 0};
    quint16 checksum = 0;
    for (quint16 w : placeable) {
        word(w);
        checksum ^= w;
    }
    word(checksum);
    const int recordWords = 5 + 5 + 7 + 3;
    word(1); word(9); word(0x0300); dword(9 + recordWords); word(0); dword(7); word(0);
    dword(5); word(0x020B); word(0); word(0);                                    // window origin
    dword(5); word(0x020C); word(quint16(twipsHigh)); word(quint16(twipsWide)); // window extent
    dword(7); word(0x041B); word(quint16(twipsHigh)); word(quint16(twipsWide)); word(0); word(0);
    dword(3); word(0); // end of file
    return out;
}

inline quint32 Crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray PngChunk(const QByteArray &type, const QByteArray &data)
{
    char length[4], crc[4];
    qToBigEndian(quint32(data.size()), length);
    qToBigEndian(Crc32(type + data), crc);
    return QByteArray(length, 4) + type + data + QByteArray(crc, 4);
}

// Tiny files that declare a huge picture, as a hostile page might serve.
inline QByteArray PngDeclaring(quint32 width, quint32 height)
{
    char dims[8];
    qToBigEndian(width, dims);
    qToBigEndian(height, dims + 4);
    const QByteArray ihdr = QByteArray(dims, 8) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr) + PngChunk("IDAT", {}) + PngChunk("IEND", {});
}

inline QByteArray GifDeclaring(quint16 width, quint16 height)
{
    char dims[4];
    qToLittleEndian(width, dims);
    qToLittleEndian(height, dims + 2);
    // Screen descriptor, then one image descriptor of the same size.
    return QByteArray("GIF89a") + QByteArray(dims, 4) + QByteArray("\x00\x00\x00,\x00\x00\x00\x00", 8) +
           QByteArray(dims, 4) + QByteArray("\x00\x02\x02\x44\x01\x00;", 7);
}

inline QByteArray TgaDeclaring(quint16 width, quint16 height)
{
    QByteArray out(18, '\0');
    out[2] = 2; // uncompressed true colour
    qToLittleEndian(width, out.data() + 12);
    qToLittleEndian(height, out.data() + 14);
    out[16] = 32;
    return out + QByteArray(64, '\0');
}

inline QByteArray PcxDeclaring(quint16 width, quint16 height)
{
    QByteArray out(128, '\0');
    out[0] = 0x0A;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    qToLittleEndian(quint16(width - 1), out.data() + 8);
    qToLittleEndian(quint16(height - 1), out.data() + 10);
    out[65] = 1;
    qToLittleEndian(width, out.data() + 66);
    return out + QByteArray(64, '\0');
}

// A real JPEG whose frame header is patched to declare `width` x `height`.
inline QByteArray JpegDeclaring(quint16 width, quint16 height)
{
    QByteArray bytes;
    {
        QImage image = CornerPicture(16, 16);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "jpeg");
    }
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        throw std::runtime_error("no baseline frame header in the JPEG fixture");
    qToBigEndian(height, bytes.data() + sof + 5);
    qToBigEndian(width, bytes.data() + sof + 7);
    return bytes;
}

} // namespace fixtures
