#include "imaging/Gif.h"

#include "imaging/QtPictureCodec.h"

void TGif::LoadFromFile(const QString &path)
{
    m_bitmap = QtReadImages(path, "gif", false).constFirst();
}
