#include "engine/TaskViews.h"

#include "engine/DateTime.h"

#include <QLocale>

QString LogLine(const QString &message, const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    // The zone's name says nothing on a local log and made every line wider
    // by a word; the schedule texts leave it out as well.
    static const QString timeFormat = WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), timeFormat);
    return QStringLiteral("[%1] - %2").arg(stamp, message);
}

QString SizeText(qint64 length)
{
    return length == 0 ? QStringLiteral("---") : QString::number(length);
}

QString PercentText(qint64 received, qint64 length)
{
    if (length == 0)
        return QStringLiteral("---");
    // received x 100 / length, rounded to the nearest integer, halves to
    // even, in exact integer arithmetic.
    const __int128 scaled = __int128(received) * 100;
    __int128 quotient = scaled / length;
    const __int128 twiceRemainder = (scaled % length) * 2;
    if (twiceRemainder > length || (twiceRemainder == length && quotient % 2 != 0))
        ++quotient;
    return QString::number(qint64(quotient)) + QLatin1Char('%');
}

QString KiloBytesText(qint64 bytes)
{
    return QString::number(bytes / 1024) + QStringLiteral(" KB");
}

QString FileNameExtension(const QString &name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? name.mid(dot) : QString();
}
