#include "imaging/QtPictureCodec.h"

#include "engine/Errors.h"
#include "imaging/DecodeLimit.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <mutex>

namespace {

// Process-wide reader state is set up once, before any thread reads:
// - readers whose header does not tell the size are still held to the limit
//   by Qt's own allocation limit (global state);
// - every image plugin is loaded and instantiated here, so threads that read
//   at the same time never race to load one.
void EnsureReadersReady()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(int(kMaxDecodedBytes / (1024 * 1024)));
        for (const QByteArray &format : QImageReader::supportedImageFormats()) {
            QBuffer empty;
            empty.open(QIODevice::ReadOnly);
            QImageReader reader(&empty, format);
            reader.setAutoDetectImageFormat(false);
            reader.supportsOption(QImageIOHandler::Size); // makes the handler
        }
    });
}

EZavelonError DecodeError(const QString &path, const QImageReader &reader)
{
    return EZavelonError(QStringLiteral("Cannot decode picture %1: %2").arg(path, reader.errorString()));
}

// The reader reads from our own opened file, so a missing or unreadable file
// is reported as such (and Qt does not warn about a closed device).
void OpenFile(QFile &file, const QString &path)
{
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("Cannot open picture %1: %2").arg(path, file.errorString()));
}

// What a reader decodes from. Decoders read in small pieces and a QFile asks
// the system for its size at each one (a stat call per kilobyte of a PNG);
// a picture of ordinary size is therefore read at once and decoded from
// memory. A larger file is streamed, so a huge file named like a picture
// never has to fit in memory before its declared size is checked.
class TPictureSource
{
public:
    explicit TPictureSource(const QString &path)
        : m_file(path)
    {
        OpenFile(m_file, path);
        if (m_file.size() > kReadWholeUpTo)
            return;
        m_bytes = m_file.readAll();
        m_file.close();
        m_buffer.setBuffer(&m_bytes);
        m_buffer.open(QIODevice::ReadOnly);
    }
    QIODevice *Device() { return m_file.isOpen() ? static_cast<QIODevice *>(&m_file) : &m_buffer; }

private:
    static constexpr qint64 kReadWholeUpTo = 32 << 20;
    QFile m_file;
    QByteArray m_bytes;
    QBuffer m_buffer;
};

void OpenReader(QImageReader &reader, const QString &path)
{
    // The extension chose the format; the content must not choose another.
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead())
        throw DecodeError(path, reader);
}

bool AdvanceToNextImage(QImageReader &reader)
{
    // An animation moves on by itself after each read; other multi-image
    // formats (TIFF pages, icon sizes) need the explicit jump.
    if (reader.supportsAnimation())
        return reader.canRead();
    return reader.jumpToNextImage();
}

} // namespace

QList<QImage> QtReadImages(const QString &path, const QByteArray &format, bool all)
{
    EnsureReadersReady();
    TPictureSource source(path);
    QImageReader reader(source.Device(), format);
    OpenReader(reader, path);
    QList<QImage> images;
    std::int64_t decoded = 0;
    do {
        // The declared size is checked before a single pixel is allocated.
        CheckDecodedSize(path, reader.size(), decoded);
        QImage image;
        if (!reader.read(&image)) {
            if (images.isEmpty())
                throw DecodeError(path, reader);
            break; // a damaged later image ends the list; the earlier ones stand
        }
        decoded += DecodedBytes(image.size());
        CheckDecodedSize(path, QSize(), decoded);
        images << image;
    } while (all && AdvanceToNextImage(reader));
    return images;
}

int QtImageCount(const QString &path, const QByteArray &format)
{
    EnsureReadersReady();
    TPictureSource source(path);
    QImageReader reader(source.Device(), format);
    OpenReader(reader, path);
    return qMax(1, reader.imageCount());
}

bool QtCanRead(const QString &path, const QByteArray &format)
{
    EnsureReadersReady();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QImageReader reader(&file, format);
    reader.setAutoDetectImageFormat(false);
    return reader.canRead();
}

bool QtCanWrite(const QByteArray &format)
{
    return QImageWriter::supportedImageFormats().contains(format);
}

QByteArray QtEncode(const QString &path, const QImage &picture, const QByteArray &format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(picture))
        throw EZavelonError(QStringLiteral("Cannot encode picture %1: %2").arg(path, writer.errorString()));
    return bytes;
}
