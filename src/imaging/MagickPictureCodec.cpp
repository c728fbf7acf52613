#include "imaging/MagickPictureCodec.h"

#include "engine/Errors.h"
#include "imaging/DecodeLimit.h"

#include <QFile>

#include <Magick++.h>

#include <climits>
#include <memory>
#include <mutex>

namespace {

struct ImageListDeleter {
    void operator()(MagickCore::Image *images) const { MagickCore::DestroyImageList(images); }
};
struct ImageInfoDeleter {
    void operator()(MagickCore::ImageInfo *info) const { MagickCore::DestroyImageInfo(info); }
};
struct ExceptionDeleter {
    void operator()(MagickCore::ExceptionInfo *exception) const { MagickCore::DestroyExceptionInfo(exception); }
};
using ImageList = std::unique_ptr<MagickCore::Image, ImageListDeleter>;
using ImageInfo = std::unique_ptr<MagickCore::ImageInfo, ImageInfoDeleter>;
using Exception = std::unique_ptr<MagickCore::ExceptionInfo, ExceptionDeleter>;

QString ExceptionText(const MagickCore::ExceptionInfo *exception)
{
    QString text = QString::fromUtf8(exception->reason ? exception->reason : "unknown error");
    if (exception->description)
        text += QStringLiteral(" (%1)").arg(QString::fromUtf8(exception->description));
    return text;
}

EZavelonError DecodeError(const QString &path, const QString &reason)
{
    return EZavelonError(QStringLiteral("Cannot decode picture %1: %2").arg(path, reason));
}

QByteArray ReadWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("Cannot open picture %1: %2").arg(path, file.errorString()));
    // No encoded picture is larger than its decoded pixels would be allowed to be.
    if (file.size() > kMaxDecodedBytes)
        throw EZavelonError(QStringLiteral("Picture file too large to decode: %1").arg(path));
    return file.readAll();
}

// Reads the images of `data` with the coder `format`: only their attributes
// when `ping`, only the first when `firstOnly`.
ImageList ReadList(const QString &path, const QByteArray &data, const QByteArray &format, bool ping, bool firstOnly)
{
    EnsureMagickInitialized();
    ImageInfo info(MagickCore::CloneImageInfo(nullptr));
    Exception exception(MagickCore::AcquireExceptionInfo());
    // "PCX:" as the file name makes the coder explicit (ImageMagick's affirm
    // flag), so the bytes are never sniffed for another format.
    MagickCore::CopyMagickString(info->filename, (format + ':').constData(), MaxTextExtent);
    MagickCore::SetImageInfo(info.get(), 0, exception.get());
    info->ping = ping ? MagickCore::MagickTrue : MagickCore::MagickFalse;
    if (firstOnly) {
        info->scene = 0;
        info->number_scenes = 1;
    }
    ImageList images(MagickCore::BlobToImage(info.get(), data.constData(), size_t(data.size()), exception.get()));
    if (exception->severity >= MagickCore::ErrorException)
        throw DecodeError(path, ExceptionText(exception.get()));
    if (!images)
        throw DecodeError(path, QStringLiteral("no image found"));
    if (firstOnly && images->next) // a coder that ignores the scene range
        MagickCore::DestroyImageList(MagickCore::SplitImageList(images.get()));
    return images;
}

QSize ImageSize(const MagickCore::Image *image)
{
    return QSize(int(qMin<size_t>(image->columns, INT_MAX)), int(qMin<size_t>(image->rows, INT_MAX)));
}

QImage ToQImage(const QString &path, MagickCore::Image *image)
{
    QImage out(int(image->columns), int(image->rows), QImage::Format_ARGB32);
    if (out.isNull())
        throw DecodeError(path, QStringLiteral("out of memory"));
    Exception exception(MagickCore::AcquireExceptionInfo());
    // ARGB32 lies in memory as B, G, R, A on a little-endian machine, one
    // row after the other without padding (4 bytes per pixel).
    if (!MagickCore::ExportImagePixels(image, 0, 0, image->columns, image->rows, "BGRA", MagickCore::CharPixel,
                                       out.bits(), exception.get()))
        throw DecodeError(path, ExceptionText(exception.get()));
    if (!image->matte)
        out.reinterpretAsFormat(QImage::Format_RGB32);
    return out;
}

} // namespace

void EnsureMagickInitialized()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        // Our callers already decode on several threads; ImageMagick's own
        // OpenMP threads would only compete with them.
        Magick::ResourceLimits::thread(1);
    });
}

QList<QImage> MagickReadImages(const QString &path, const QByteArray &format, bool all)
{
    const QByteArray data = ReadWholeFile(path);
    std::int64_t declared = 0;
    const ImageList pinged = ReadList(path, data, format, true, !all);
    for (MagickCore::Image *image = pinged.get(); image; image = image->next) {
        CheckDecodedSize(path, ImageSize(image), declared);
        declared += DecodedBytes(ImageSize(image));
    }
    const ImageList images = ReadList(path, data, format, false, !all);
    QList<QImage> result;
    for (MagickCore::Image *image = images.get(); image; image = image->next) {
        CheckDecodedSize(path, ImageSize(image)); // in case the ping told less
        result << ToQImage(path, image);
    }
    return result;
}

int MagickImageCount(const QString &path, const QByteArray &format)
{
    const ImageList pinged = ReadList(path, ReadWholeFile(path), format, true, false);
    return int(MagickCore::GetImageListLength(pinged.get()));
}

QByteArray MagickEncode(const QString &path, const QImage &picture, const QByteArray &format)
{
    EnsureMagickInitialized();
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    try {
        Magick::Image image(size_t(argb.width()), size_t(argb.height()), "BGRA", Magick::CharPixel, argb.constBits());
        image.quiet(true);
        if (!picture.hasAlphaChannel())
            image.matte(false);
        image.magick(format.toStdString());
        Magick::Blob blob;
        image.write(&blob);
        return QByteArray(static_cast<const char *>(blob.data()), qsizetype(blob.length()));
    } catch (const Magick::Exception &error) {
        throw EZavelonError(QStringLiteral("Cannot encode picture %1: %2").arg(path, QString::fromUtf8(error.what())));
    }
}
