#include "engine/FileNames.h"

#include "engine/TextSlot.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

QString AddBackslash(const QString &text)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char('/')))
        return text;
    return text + QLatin1Char('/');
}

QString UniqueFileName(const QString &path)
{
    return UniqueFileName(path, [](const QString &candidate) { return QFileInfo::exists(candidate); });
}

QString UniqueFileName(const QString &path, const std::function<bool(const QString &)> &taken)
{
    if (!taken(path))
        return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype lastDot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = lastDot < 0 ? QString() : name.mid(lastDot);
    const qsizetype firstDot = name.indexOf(QLatin1Char('.'));
    const QString stem = firstDot < 0 ? name : name.left(firstDot);
    for (qint64 n = 0;; ++n) {
        const QString candidate = folder + stem + QLatin1Char('[') + QString::number(n) + QLatin1Char(']') + extension;
        if (!taken(candidate))
            return candidate;
    }
}

int MaxFileNameBytes(const QString &folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData(),
                                  _PC_NAME_MAX);
    return limit > 0 && limit < 1 << 20 ? int(limit) : 255;
}

QString FitFileName(const QString &path, int reserve, int maxBytes)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    const qsizetype room = maxBytes - reserve;
    const QByteArray encoded = QFile::encodeName(name);
    if (encoded.size() <= room || room <= 0)
        return path;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QByteArray extension = dot <= 0 ? QByteArray() : QFile::encodeName(name.mid(dot));
    QByteArray shortened;
    if (!extension.isEmpty() && extension.size() <= room / 2)
        shortened = Utf8Prefix(QFile::encodeName(name.left(dot)), room - extension.size()) + extension;
    else
        shortened = Utf8Prefix(encoded, room);
    return path.left(slash + 1) + QFile::decodeName(shortened);
}
