#include "images/StreamPersistent.h"

#include "engine/Errors.h"

#include <QFileDevice>
#include <QIODevice>

namespace {

QString DeviceName(const QIODevice &stream)
{
    if (const auto *file = qobject_cast<const QFileDevice *>(&stream))
        return file->fileName();
    return QStringLiteral("(stream)");
}

} // namespace

void TStreamPersistent::WriteBlock(QIODevice &stream, const char *block, qint64 size)
{
    if (stream.write(block, size) != size)
        throw EZavelonError(QStringLiteral("Cannot write %1: %2").arg(DeviceName(stream), stream.errorString()));
}

qint64 TStreamPersistent::ReadBlock(QIODevice &stream, char *block, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 got = stream.read(block + done, size - done);
        if (got < 0)
            throw EZavelonError(QStringLiteral("Cannot read %1: %2").arg(DeviceName(stream), stream.errorString()));
        if (got == 0)
            break; // the end: the rest of the block keeps its content
        done += got;
    }
    return done;
}
