#include "settings/UserDateTime.h"

#include "engine/DateTime.h"

#include <QDate>
#include <QLocale>

namespace {

constexpr double kMsPerDay = 86400000.0;

bool HasTwoDigitYear(const QString &format)
{
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

// Parsing "yy" gives 1900 + yy; move it into the 100 years around today.
QDate IntoCenturyWindow(QDate date)
{
    const int thisYear = QDate::currentDate().year();
    while (date.year() < thisYear - 50)
        date = date.addYears(100);
    while (date.year() >= thisYear + 50)
        date = date.addYears(-100);
    return date;
}

} // namespace

QString LongTimeFormat()
{
    return WithoutTimeZone(QLocale().timeFormat(QLocale::LongFormat));
}

QString FormatShortDate(double days)
{
    const QDateTime dateTime = DaysToDateTime(days);
    return dateTime.isValid() ? QLocale().toString(dateTime.date(), QLocale::ShortFormat) : QString();
}

QString FormatLongTime(double days)
{
    const QDateTime dateTime = DaysToDateTime(days);
    return dateTime.isValid() ? QLocale().toString(dateTime.time(), LongTimeFormat()) : QString();
}

double ParseShortDate(const QString &text)
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QDate date = QLocale().toDate(text.trimmed(), format);
    if (!date.isValid())
        return 0;
    if (HasTwoDigitYear(format))
        date = IntoCenturyWindow(date);
    return DateTimeToDays(QDateTime(date, QTime(0, 0)));
}

double ParseLongTime(const QString &text)
{
    const QTime time = QLocale().toTime(text.trimmed(), LongTimeFormat());
    return time.isValid() ? time.msecsSinceStartOfDay() / kMsPerDay : 0;
}
