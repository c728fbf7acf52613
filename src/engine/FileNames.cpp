#include "engine/FileNames.h"

#include <QFileInfo>

QString AddBackslash(const QString &text)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char('/')))
        return text;
    return text + QLatin1Char('/');
}

QString UniqueFileName(const QString &path)
{
    if (!QFileInfo::exists(path))
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
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}
