#include "images/ui/PictureLoader.h"

#include "engine/Errors.h"
#include "imaging/Gif.h"
#include "imaging/ImageServices.h"
#include "imaging/PictureFormat.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <mutex>

namespace {

std::mutex g_decoderLock;
TPictureDecoder g_decoder;

TPictureDecoder CurrentDecoder()
{
    std::lock_guard lock(g_decoderLock);
    return g_decoder ? g_decoder : TPictureDecoder(DecodePicture);
}

// Painting wants one of the two formats the raster engine blits directly;
// converting here spares the user-interface thread a pass over the pixels.
QImage ReadyToPaint(QImage image)
{
    const QImage::Format format = image.format();
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

} // namespace

TDecodedPicture DecodePicture(const QString &path)
{
    TDecodedPicture picture;
    picture.Path = path;
    picture.Gif = IsGifFile(path);
    try {
        if (picture.Gif) {
            TGif gif;
            gif.LoadFromFile(path);
            picture.Image = gif.Bitmap();
        } else {
            picture.Image = ReadyToPaint(LoadFirstImage(path));
        }
    } catch (const EZavelonError &error) {
        picture.Error = error.message();
    } catch (const std::exception &error) {
        picture.Error = QString::fromLocal8Bit(error.what());
    }
    if (picture.Image.isNull() && picture.Error.isEmpty())
        picture.Error = QStringLiteral("Cannot decode %1").arg(path);
    return picture;
}

TPictureDecoder SetPictureDecoder(TPictureDecoder decoder)
{
    std::lock_guard lock(g_decoderLock);
    TPictureDecoder previous = std::move(g_decoder);
    g_decoder = std::move(decoder);
    return previous;
}

TPictureLoader::TPictureLoader(QObject *parent)
    : QObject(parent)
    , m_newest(std::make_shared<std::atomic<quint64>>(0))
{
}

TPictureLoader::~TPictureLoader()
{
    // Queued decodes of ours see they are stale and do nothing.
    ++*m_newest;
}

void TPictureLoader::Load(const QString &path)
{
    const quint64 request = ++m_request;
    *m_newest = request;
    m_pending = true;
    auto newest = m_newest;
    TPictureDecoder decoder = CurrentDecoder();
    auto *watcher = new QFutureWatcher<TDecodedPicture>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, request] {
        watcher->deleteLater();
        if (request != m_request || !m_pending)
            return; // superseded or cancelled meanwhile
        m_pending = false;
        emit Loaded(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), [path, request, newest, decoder] {
        if (newest->load() != request) {
            // Superseded before it began: not worth decoding.
            TDecodedPicture skipped;
            skipped.Path = path;
            return skipped;
        }
        return decoder(path);
    }));
}

void TPictureLoader::Cancel()
{
    ++m_request;
    *m_newest = m_request;
    m_pending = false;
}
