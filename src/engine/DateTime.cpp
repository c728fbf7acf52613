#include "engine/DateTime.h"

#include <QFileInfo>

#include <cmath>

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;

} // namespace

double DateTimeToDays(const QDateTime &dateTime)
{
    const QDateTime local = dateTime.toLocalTime();
    const double whole = static_cast<double>(kEpoch.daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / kMsPerDay;
    // Before the epoch the whole part counts backwards while the fraction
    // still counts forwards from midnight (-1.25 is 1899-12-29 06:00).
    return whole >= 0 ? whole + fraction : whole - fraction;
}

QDateTime DaysToDateTime(double days)
{
    if (!std::isfinite(days))
        return {};
    const double whole = std::trunc(days);
    const double fraction = std::fabs(days - whole);
    qint64 ms = std::llround(fraction * kMsPerDay);
    qint64 dayCount = static_cast<qint64>(whole);
    if (ms >= static_cast<qint64>(kMsPerDay)) { // rounding reached midnight
        ms = 0;
        dayCount += days >= 0 ? 1 : -1;
    }
    return QDateTime(kEpoch.addDays(dayCount), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double NowDays()
{
    return DateTimeToDays(QDateTime::currentDateTime());
}

void PinLocalTimeZone()
{
    if (qEnvironmentVariableIsEmpty("TZ") && QFileInfo::exists(QStringLiteral("/etc/localtime")))
        qputenv("TZ", ":/etc/localtime");
}

QString WithoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            out += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == QLatin1Char('t'))
            ++i;
        while (!out.isEmpty() && out.back().isSpace())
            out.chop(1);
    }
    return out.trimmed();
}
