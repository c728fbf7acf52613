#include "imaging/ImageServices.h"

#include "engine/Errors.h"
#include "imaging/MagickPictureCodec.h"
#include "imaging/PictureFormat.h"
#include "imaging/QtPictureCodec.h"

#include <QFile>
#include <QSaveFile>
#include <QTransform>

namespace {

EZavelonError UnknownFormat(const QString &path)
{
    return EZavelonError(QStringLiteral("Unknown picture format: %1").arg(path));
}

// Qt's TGA reader wants the TGA 2.0 footer; testing for it first spares the
// reader's warning about every older file.
bool HasTga2Footer(const QString &path)
{
    static const QByteArray footer("TRUEVISION-XFILE.\0", 18);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() >= footer.size() && file.seek(file.size() - footer.size()) &&
           file.read(footer.size()) == footer;
}

// The codec that reads this file: the extension's, or its fallback when Qt
// declines the file.
TPictureCodec ReaderFor(const QString &path)
{
    const TPictureCodec codec = CodecForFile(path);
    if (codec.kind == TPictureCodec::Qt && !codec.magickFallback.isEmpty() &&
        ((codec.format == "tga" && !HasTga2Footer(path)) || !QtCanRead(path, codec.format)))
        return {TPictureCodec::Magick, codec.magickFallback, {}};
    return codec;
}

QList<QImage> ReadImages(const QString &path, bool all)
{
    const TPictureCodec codec = ReaderFor(path);
    switch (codec.kind) {
    case TPictureCodec::Qt:
    case TPictureCodec::Gif:
        return QtReadImages(path, codec.format, all);
    case TPictureCodec::Magick:
        return MagickReadImages(path, codec.format, all);
    case TPictureCodec::None:
        break;
    }
    throw UnknownFormat(path);
}

QByteArray Encode(const QImage &picture, const QString &path)
{
    const TPictureCodec codec = CodecForFile(path);
    if (codec.kind == TPictureCodec::None)
        throw UnknownFormat(path);
    if ((codec.kind == TPictureCodec::Qt || codec.kind == TPictureCodec::Gif) && QtCanWrite(codec.format))
        return QtEncode(path, picture, codec.format);
    // Formats Qt reads but cannot write (GIF, TGA) go through ImageMagick,
    // which knows them under their upper-case names.
    return MagickEncode(path, picture, codec.kind == TPictureCodec::Magick ? codec.format : codec.format.toUpper());
}

} // namespace

QImage LoadFirstImage(const QString &path)
{
    return ReadImages(path, false).constFirst();
}

QList<QImage> LoadAllImages(const QString &path)
{
    return ReadImages(path, true);
}

QList<QImage> LoadImages(const QString &path, int imageIndex)
{
    if (imageIndex != 0 && imageIndex != 1)
        throw EZavelonError(QStringLiteral("Image index %1 not supported: %2").arg(imageIndex).arg(path));
    return ReadImages(path, imageIndex == 0);
}

int ImageCount(const QString &path)
{
    const TPictureCodec codec = ReaderFor(path);
    switch (codec.kind) {
    case TPictureCodec::Qt:
    case TPictureCodec::Gif:
        return QtImageCount(path, codec.format);
    case TPictureCodec::Magick:
        return MagickImageCount(path, codec.format);
    case TPictureCodec::None:
        break;
    }
    throw UnknownFormat(path);
}

void SavePicture(const QImage &picture, const QString &path)
{
    if (picture.isNull())
        throw EZavelonError(QStringLiteral("No picture to save: %1").arg(path));
    const QByteArray bytes = Encode(picture, path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EZavelonError(QStringLiteral("Cannot write picture %1: %2").arg(path, file.errorString()));
}

QImage CopyPicture(const QImage &picture)
{
    return picture.copy();
}

QImage RotatePicture(const QImage &source, int angle)
{
    if (angle != -90 && angle != 90)
        throw EZavelonError(QStringLiteral("A picture turns by -90 or +90 degrees, not %1").arg(angle));
    // Qt's y axis points down, so a positive angle turns clockwise on screen.
    return source.transformed(QTransform().rotate(angle));
}

void RotatePicture(const QImage &source, QImage &destination, int angle)
{
    destination = RotatePicture(source, angle);
}
