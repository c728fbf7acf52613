#include "imaging/QtPictureCodec.h"

#include "engine/Errors.h"
#include "imaging/DecodeControl.h"
#include "imaging/DecodeLimit.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSet>

#include <mutex>

namespace {

// Process-wide reader state is set up before a thread reads:
// - readers whose header does not tell the size are still held to the limit
//   by Qt's own allocation limit (global state), set once;
// - a format's plugin is loaded and instantiated by its first reader, one
//   format at a time, so threads that read at the same time never race to
//   load one. Only formats in use are loaded: a crawl of JPEG, PNG and GIF
//   pictures does not pay for a dozen other plugins and their libraries.
void EnsureReaderReady(const QByteArray &format)
{
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(int(kMaxDecodedBytes / (1024 * 1024))); });
    // Never destroyed: an adding thread that shut-down did not wait for may
    // still read while the process exits.
    static std::mutex lock;
    static QSet<QByteArray> *const ready = new QSet<QByteArray>;
    std::lock_guard<std::mutex> guard(lock);
    if (ready->contains(format))
        return;
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    QImageReader reader(&empty, format);
    reader.setAutoDetectImageFormat(false);
    reader.supportsOption(QImageIOHandler::Size); // makes the handler
    ready->insert(format);
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

// The file a reader decodes from. Decoders read in small pieces, and a plain
// QFile asks the system for its size at each one (two stat calls per
// kilobyte of a PNG); a picture does not change while it is decoded, so its
// size is taken once. Reading stays streamed: a JPEG's decoder stops at its
// end marker, and a huge file never has to fit in memory.
class TPictureFile : public QFile
{
public:
    explicit TPictureFile(const QString &path)
        : QFile(path)
    {
        OpenFile(*this, path);
        m_size = QFile::size();
    }
    qint64 size() const override { return m_size; }

protected:
    // A decode that is to be abandoned finds the file failing.
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (DecodingAbandoned()) {
            setErrorString(QStringLiteral("decoding abandoned"));
            return -1;
        }
        return QFile::readData(data, maxSize);
    }

private:
    qint64 m_size = 0;
};

void OpenReader(QImageReader &reader, const QString &path)
{
    // The extension chose the format; the content must not choose another.
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead())
        throw DecodeError(path, reader);
}

// The size a read is about to allocate. Qt's GIF reader answers this question
// by scanning the whole file, every frame and comment of it; it draws the
// first frame on the logical screen that the header declares, so for that
// frame the header's size is the answer, read from ten bytes.
QSize SizeBeforeRead(QImageReader &reader, QFile &file, const QByteArray &format, bool firstImage)
{
    if (firstImage && format == "gif") {
        const QByteArray head = file.peek(10);
        if (head.size() == 10 && head.startsWith("GIF")) {
            const auto word = [&head](int at) { return int(quint8(head[at])) | int(quint8(head[at + 1])) << 8; };
            return QSize(word(6), word(8));
        }
    }
    return reader.size();
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
    const TQuietDecoding quiet;
    EnsureReaderReady(format);
    TPictureFile file(path);
    QImageReader reader(&file, format);
    OpenReader(reader, path);
    QList<QImage> images;
    std::int64_t decoded = 0;
    do {
        // The declared size is checked before a single pixel is allocated.
        CheckDecodedSize(path, SizeBeforeRead(reader, file, format, images.isEmpty()), decoded);
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
    const TQuietDecoding quiet;
    EnsureReaderReady(format);
    TPictureFile file(path);
    QImageReader reader(&file, format);
    OpenReader(reader, path);
    return qMax(1, reader.imageCount());
}

bool QtCanRead(const QString &path, const QByteArray &format)
{
    const TQuietDecoding quiet;
    EnsureReaderReady(format);
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
