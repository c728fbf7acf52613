#include "engine/TaskViews.h"

#include <QFileInfo>
#include <QLocale>

QString LogLine(const QString &message, const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), QLocale::LongFormat);
    return QStringLiteral("[%1] - %2").arg(stamp, message);
}

TPictureRow PictureRow(const QString &path, qint64 size)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    TPictureRow row;
    row.Caption = name;
    row.Extension = dot < 0 ? QString() : name.mid(dot);
    row.Size = QString::number(size / 1024) + QStringLiteral(" KB");
    row.FileName = path;
    return row;
}
