#pragma once

#include <QImage>
#include <QString>

// The GIF decoder. Wherever a picture is shown, a ".gif" file is shown as the
// still first frame of this decoder, without animation (progressive display is
// never used). Safe on any thread; the decoding limit applies.
class TGif
{
public:
    // Decodes the first frame of `path`; raises EZavelonError naming the file.
    // On failure the previous frame is kept.
    void LoadFromFile(const QString &path);

    bool Empty() const { return m_bitmap.isNull(); }
    int Width() const { return m_bitmap.width(); }
    int Height() const { return m_bitmap.height(); }
    // The first frame as a still picture.
    const QImage &Bitmap() const { return m_bitmap; }

private:
    QImage m_bitmap;
};
