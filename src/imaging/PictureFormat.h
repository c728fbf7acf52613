#pragma once

#include <QByteArray>
#include <QString>

// Which decoder reads a picture file is decided by its extension alone,
// ignoring case, never by sniffing the content: a file named .jpg that holds
// something else fails to decode rather than being guessed at.

// The extension of the file name in `path` from its last dot, dot included,
// lower-cased ("C:/a/B.GIF" -> ".gif", "x.gif.bak" -> ".bak", "noext" -> "").
// A dot inside a folder name does not count.
QString PictureExtension(const QString &path);

// The GIF rule of the picture views: a file whose trimmed, lower-cased
// extension is ".gif" is shown as the still first frame of the GIF decoder.
bool IsGifFile(const QString &path);

struct TPictureCodec
{
    enum Kind {
        None,   // no codec knows the extension (EMF, AFI, anything else)
        Qt,     // Qt's image readers and the image-format plugins
        Gif,    // the GIF decoder (TGif); GIF is read only by it
        Magick, // ImageMagick, with the format named explicitly
    };
    Kind kind = None;
    // Qt: the reader's format name ("jpeg"); Magick: the coder ("PCX").
    QByteArray format;
    // Qt only: the ImageMagick coder for files Qt's reader declines. Qt's
    // TGA reader takes only TGA 2.0 files (with the "TRUEVISION-XFILE"
    // footer); most TGA files in the wild are older.
    QByteArray magickFallback;
};

TPictureCodec CodecForFile(const QString &path);
