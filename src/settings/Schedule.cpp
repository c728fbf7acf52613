#include "settings/Schedule.h"

#include "settings/UserDateTime.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kMsPerHour = kMsPerDay / 24;
// The hourly window: a slot counts as reached 10 seconds before it.
constexpr std::int64_t kHourlyWindowMs = 10000;
// Date-times beyond this many days (about 2.7 million years) are not real
// dates; they make nothing due and keep the millisecond arithmetic in range.
constexpr double kMaxDays = 1e9;

bool InRange(double days)
{
    return std::isfinite(days) && std::fabs(days) <= kMaxDays;
}

std::int64_t ToMs(long double days)
{
    return std::llround(days * kMsPerDay);
}

// The smallest start + k * step (k >= 0) that is not before `reference`.
std::int64_t NextSlot(std::int64_t start, std::int64_t step, std::int64_t reference)
{
    if (reference <= start)
        return start;
    const std::int64_t steps = (reference - start + step - 1) / step;
    return start + steps * step;
}

// Hourly: the slots are start date + start time + k hours. All values are
// taken to the millisecond (the resolution of every date-time the program
// makes), so "exactly now" is an exact comparison and the window is exact.
std::optional<std::int64_t> HourlyDueSlot(const TRegScheme &scheme, double now)
{
    const long double start = static_cast<long double>(scheme.SchemeStartDate) + scheme.SchemeStartTime;
    const std::int64_t reference = ToMs(now);
    const std::int64_t slot = NextSlot(ToMs(start), kMsPerHour, reference);
    if (slot - reference < kHourlyWindowMs)
        return slot;
    return std::nullopt;
}

// Daily, weekly, monthly: due on the days start date + k * step. A start date
// with a time part never lands on a whole day, so it is never due.
std::optional<std::int64_t> DayStepDueSlot(const TRegScheme &scheme, std::int64_t stepDays, double now)
{
    const double start = scheme.SchemeStartDate;
    if (start != std::trunc(start))
        return std::nullopt;
    const auto today = static_cast<std::int64_t>(std::trunc(now));
    const auto first = static_cast<std::int64_t>(start);
    if (today >= first && (today - first) % stepDays == 0)
        return today * kMsPerDay;
    return std::nullopt;
}

} // namespace

const QStringList &SchemeTypeNames()
{
    static const QStringList names = {QStringLiteral("None"), QStringLiteral("Every"), QStringLiteral("Daily"),
                                      QStringLiteral("Weekly"), QStringLiteral("Monthly")};
    return names;
}

int SchemeTypeOfName(const QString &name)
{
    return static_cast<int>(SchemeTypeNames().indexOf(name));
}

QString UnitWord(int schemeType)
{
    switch (schemeType) {
    case TRegScheme::stEvery:
        return QStringLiteral("Hour(s)");
    case TRegScheme::stDaily:
        return QStringLiteral("Day(s)");
    case TRegScheme::stWeekly:
        return QStringLiteral("Week(s)");
    case TRegScheme::stMonthly:
        return QStringLiteral("month(s)");
    default:
        return {};
    }
}

QString UnitWordOfName(const QString &name)
{
    const int type = SchemeTypeOfName(name);
    return type > TRegScheme::stNone ? UnitWord(type) : QString();
}

QString Description(const TRegScheme &scheme)
{
    if (scheme.SchemeType == TRegScheme::stNone || scheme.SchemeType > TRegScheme::stMonthly)
        return {};
    const QString date = FormatShortDate(scheme.SchemeStartDate);
    const QString time = FormatLongTime(scheme.SchemeStartTime);
    if (date.isEmpty() || time.isEmpty())
        return {};
    return QStringLiteral("All project will start every %1 %2, From %3, %4")
        .arg(QString::number(scheme.SchemeCount), UnitWord(scheme.SchemeType), date, time);
}

std::optional<std::int64_t> DueSlot(const TRegScheme &scheme, double now)
{
    if (!InRange(now) || !InRange(scheme.SchemeStartDate) || !InRange(scheme.SchemeStartTime))
        return std::nullopt;
    switch (scheme.SchemeType) {
    case TRegScheme::stEvery:
        return HourlyDueSlot(scheme, now);
    case TRegScheme::stDaily:
        return DayStepDueSlot(scheme, 1, now);
    case TRegScheme::stWeekly:
        return DayStepDueSlot(scheme, 7, now);
    case TRegScheme::stMonthly:
        return DayStepDueSlot(scheme, 30, now);
    default: // None, and any type without a step
        return std::nullopt;
    }
}

std::optional<std::int64_t> OpenSlot(const TRegScheme &scheme, double now)
{
    if (!InRange(now) || !InRange(scheme.SchemeStartDate) || !InRange(scheme.SchemeStartTime))
        return std::nullopt;
    if (scheme.SchemeType != TRegScheme::stEvery)
        return DueSlot(scheme, now);
    // The last slot whose window has opened: reached ten seconds early, as
    // by the desktop's timer, and open until the next one is reached.
    const long double start = static_cast<long double>(scheme.SchemeStartDate) + scheme.SchemeStartTime;
    const std::int64_t first = ToMs(start);
    const std::int64_t reference = ToMs(now) + kHourlyWindowMs;
    if (reference <= first)
        return std::nullopt;
    return first + (reference - first - 1) / kMsPerHour * kMsPerHour;
}

bool IsDue(const TRegScheme &scheme, double now)
{
    return DueSlot(scheme, now).has_value();
}
