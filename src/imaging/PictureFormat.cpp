#include "imaging/PictureFormat.h"

#include <QHash>

QString PictureExtension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash)
        return QString();
    return path.mid(dot).toLower();
}

bool IsGifFile(const QString &path)
{
    return PictureExtension(path).trimmed() == QLatin1String(".gif");
}

TPictureCodec CodecForFile(const QString &path)
{
    // PCC is PCX and VST is TGA under another name, which is why ImageMagick
    // is always told the format instead of deriving it from the name.
    const auto qt = [](const char *format, const char *fallback = "") {
        return TPictureCodec{TPictureCodec::Qt, format, fallback};
    };
    const auto magick = [](const char *format) { return TPictureCodec{TPictureCodec::Magick, format, {}}; };
    static const QHash<QString, TPictureCodec> codecs{
        {QStringLiteral(".jpg"), qt("jpeg")},
        {QStringLiteral(".jpeg"), qt("jpeg")},
        {QStringLiteral(".png"), qt("png")},
        {QStringLiteral(".bmp"), qt("bmp")},
        {QStringLiteral(".ico"), qt("ico")},
        {QStringLiteral(".tif"), qt("tiff")},
        {QStringLiteral(".tiff"), qt("tiff")},
        {QStringLiteral(".tga"), qt("tga", "TGA")},
        {QStringLiteral(".gif"), TPictureCodec{TPictureCodec::Gif, "gif", {}}},
        {QStringLiteral(".pcx"), magick("PCX")},
        {QStringLiteral(".pcc"), magick("PCX")},
        {QStringLiteral(".dcx"), magick("DCX")},
        {QStringLiteral(".vst"), magick("TGA")},
        {QStringLiteral(".wmf"), magick("WMF")},
    };
    return codecs.value(PictureExtension(path));
}
