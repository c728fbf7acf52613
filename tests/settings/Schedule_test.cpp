#include "settings/Schedule.h"

#include "engine/DateTime.h"
#include "settings/QtPrinters.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <limits>

namespace {

double Day(int year, int month, int day)
{
    return DateTimeToDays(QDateTime(QDate(year, month, day), QTime(0, 0)));
}

double At(int year, int month, int day, int hour, int minute, int second)
{
    return DateTimeToDays(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}

double TimeOfDay(int hour, int minute, int second)
{
    return QTime(hour, minute, second).msecsSinceStartOfDay() / 86400000.0;
}

TRegScheme Scheme(std::uint8_t type, double startDate, double startTime, int count = 1)
{
    TRegScheme scheme;
    scheme.SchemeType = type;
    scheme.SchemeCount = count;
    scheme.SchemeStartDate = startDate;
    scheme.SchemeStartTime = startTime;
    return scheme;
}

} // namespace

TEST(Schedule, IsDue)
{
    const double today = Day(2025, 6, 11);
    const double ten = TimeOfDay(10, 0, 0);
    struct Case { const char *what; TRegScheme scheme; double now; bool due; };
    const Case cases[] = {
        // Daily: the whole due day, whatever the start time.
        {"daily from today, early", Scheme(TRegScheme::stDaily, today, TimeOfDay(23, 0, 0)), today + 0.01, true},
        {"daily from today, late", Scheme(TRegScheme::stDaily, today, ten), At(2025, 6, 11, 23, 59, 59), true},
        {"daily from yesterday", Scheme(TRegScheme::stDaily, today - 1, ten), today + 0.5, true},
        {"daily from tomorrow", Scheme(TRegScheme::stDaily, today + 1, ten), today + 0.5, false},
        {"daily start with a time part", Scheme(TRegScheme::stDaily, today - 1 + 0.5, 0), today + 0.5, false},
        // Weekly from Monday 2024-01-01: Mondays only, from then on.
        {"weekly, next Monday", Scheme(TRegScheme::stWeekly, Day(2024, 1, 1), 0), At(2024, 1, 8, 12, 0, 0), true},
        {"weekly, Monday in March", Scheme(TRegScheme::stWeekly, Day(2024, 1, 1), 0), At(2024, 3, 4, 0, 0, 1), true},
        {"weekly, Tuesday", Scheme(TRegScheme::stWeekly, Day(2024, 1, 1), 0), At(2024, 1, 9, 12, 0, 0), false},
        {"weekly, Monday before start", Scheme(TRegScheme::stWeekly, Day(2024, 1, 1), 0), Day(2023, 12, 25), false},
        // Monthly: every 30 days, drifting against the calendar.
        {"monthly, start day", Scheme(TRegScheme::stMonthly, Day(2024, 1, 15), 0), Day(2024, 1, 15), true},
        {"monthly, 30 days on", Scheme(TRegScheme::stMonthly, Day(2024, 1, 15), 0), Day(2024, 2, 14), true},
        {"monthly, same date", Scheme(TRegScheme::stMonthly, Day(2024, 1, 15), 0), Day(2024, 2, 15), false},
        {"monthly, 90 days on", Scheme(TRegScheme::stMonthly, Day(2024, 1, 15), 0), Day(2024, 4, 14), true},
        {"monthly, 3 months on", Scheme(TRegScheme::stMonthly, Day(2024, 1, 15), 0), Day(2024, 4, 15), false},
        // Hourly from 10:00:00 today: the 10 seconds before each slot, and the slot itself.
        {"hourly 10:59:49", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 11, 10, 59, 49), false},
        {"hourly 10:59:51", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 11, 10, 59, 51), true},
        {"hourly 11:00:00", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 11, 11, 0, 0), true},
        {"hourly 11:00:01", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 11, 11, 0, 1), false},
        {"hourly at the start", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 11, 10, 0, 0), true},
        {"hourly just before the start", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 11, 9, 59, 55), true},
        {"hourly an hour before the start", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 11, 8, 59, 55), false},
        {"hourly count 3 still hourly", Scheme(TRegScheme::stEvery, today, ten, 3), At(2025, 6, 11, 11, 59, 55), true},
        {"hourly next day", Scheme(TRegScheme::stEvery, today, ten), At(2025, 6, 12, 0, 59, 59), true},
        // Fifty years back costs nothing and still lands on the right slot.
        {"hourly 50 years on, due", Scheme(TRegScheme::stEvery, Day(1975, 6, 11), ten), At(2025, 6, 11, 16, 59, 52), true},
        {"hourly 50 years on, early", Scheme(TRegScheme::stEvery, Day(1975, 6, 11), ten), At(2025, 6, 11, 16, 59, 40), false},
        {"daily 50 years on", Scheme(TRegScheme::stDaily, Day(1975, 6, 11), 0), today + 0.3, true},
        {"weekly 50 years on", Scheme(TRegScheme::stWeekly, Day(1975, 6, 11), 0), Day(1975, 6, 11) + 7 * 2609, true},
        {"weekly 50 years on, off day", Scheme(TRegScheme::stWeekly, Day(1975, 6, 11), 0), Day(1975, 6, 11) + 7 * 2609 + 1, false},
        {"monthly 50 years on", Scheme(TRegScheme::stMonthly, Day(1975, 6, 11), 0), Day(1975, 6, 11) + 30 * 608 + 0.9, true},
        // None, and a type without a step, are never due.
        {"none", Scheme(TRegScheme::stNone, today, 0), today, false},
        {"type 5", Scheme(5, today, 0), today, false},
        {"type 255", Scheme(255, today, ten), At(2025, 6, 11, 10, 0, 0), false},
        {"start not a number", Scheme(TRegScheme::stEvery, std::numeric_limits<double>::quiet_NaN(), 0), today, false},
        {"start beyond any date", Scheme(TRegScheme::stDaily, -1e300, 0), today, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsDue(c.scheme, c.now), c.due) << c.what;
}

TEST(Schedule, UnitWords)
{
    const QString byType[] = {"", "Hour(s)", "Day(s)", "Week(s)", "month(s)", ""};
    for (int type = 0; type <= 5; ++type)
        EXPECT_EQ(UnitWord(type), byType[type]) << type;
    EXPECT_EQ(UnitWord(-1), QString());

    struct Case { const char *name; const char *word; };
    const Case byName[] = {{"None", ""}, {"Every", "Hour(s)"}, {"Daily", "Day(s)"}, {"Weekly", "Week(s)"},
                           {"Monthly", "month(s)"}, {"daily", ""}, {"Every ", ""}, {"", ""}};
    for (const Case &c : byName)
        EXPECT_EQ(UnitWordOfName(QString::fromUtf8(c.name)), QString::fromUtf8(c.word)) << c.name;

    EXPECT_EQ(SchemeTypeNames(), QStringList({"None", "Every", "Daily", "Weekly", "Monthly"}));
    EXPECT_EQ(SchemeTypeOfName(QStringLiteral("Weekly")), 3);
    EXPECT_EQ(SchemeTypeOfName(QStringLiteral("weekly")), -1);
}

TEST(Schedule, Description)
{
    // A fixed locale, so the expected text is known.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const TRegScheme daily = Scheme(TRegScheme::stDaily, Day(2025, 6, 11), TimeOfDay(14, 30, 5), 3);
    EXPECT_EQ(Description(daily), QStringLiteral("All project will start every 3 Day(s), From 6/11/25, 2:30:05 PM"));
    const TRegScheme hourly = Scheme(TRegScheme::stEvery, Day(2025, 6, 11) + 0.75, 1 + TimeOfDay(9, 0, 0), 0);
    EXPECT_EQ(Description(hourly), QStringLiteral("All project will start every 0 Hour(s), From 6/11/25, 9:00:00 AM"));
    QLocale::setDefault(saved);

    EXPECT_EQ(Description(Scheme(TRegScheme::stNone, Day(2025, 6, 11), 0, 3)), QString());
    EXPECT_EQ(Description(Scheme(9, Day(2025, 6, 11), 0, 3)), QString());
    EXPECT_EQ(Description(Scheme(TRegScheme::stDaily, std::numeric_limits<double>::infinity(), 0, 3)), QString());
}

TEST(Schedule, DueAndOpenSlots)
{
    const double day = Day(2025, 6, 11);
    const double ten = TimeOfDay(10, 0, 0);
    const TRegScheme hourly = Scheme(TRegScheme::stEvery, day, ten);
    const TRegScheme daily = Scheme(TRegScheme::stDaily, day - 3, ten);
    const auto ms = [](double days) { return std::int64_t(std::llround(days * 86400000.0)); };
    const std::int64_t tenOClock = ms(day + ten);
    const std::int64_t elevenOClock = tenOClock + 3600000;
    struct Case { const char *what; TRegScheme scheme; double now; std::optional<std::int64_t> due; std::optional<std::int64_t> open; };
    const Case cases[] = {
        {"hourly, before the first window", hourly, At(2025, 6, 11, 9, 59, 50), std::nullopt, std::nullopt},
        {"hourly, nine seconds early", hourly, At(2025, 6, 11, 9, 59, 51), tenOClock, tenOClock},
        {"hourly, on the slot", hourly, At(2025, 6, 11, 10, 0, 0), tenOClock, tenOClock},
        // The desktop's ten seconds are over; a timer every minute still finds the slot open.
        {"hourly, a minute later", hourly, At(2025, 6, 11, 10, 1, 0), std::nullopt, tenOClock},
        {"hourly, next window", hourly, At(2025, 6, 11, 10, 59, 55), elevenOClock, elevenOClock},
        {"daily, due day", daily, At(2025, 6, 11, 18, 0, 0), ms(day), ms(day)},
        {"none", Scheme(TRegScheme::stNone, day, ten), day + 0.5, std::nullopt, std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DueSlot(c.scheme, c.now), c.due) << c.what;
        EXPECT_EQ(OpenSlot(c.scheme, c.now), c.open) << c.what;
        EXPECT_EQ(IsDue(c.scheme, c.now), c.due.has_value()) << c.what;
    }
}
