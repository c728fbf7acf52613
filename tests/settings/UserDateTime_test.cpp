#include "settings/UserDateTime.h"

#include "engine/DateTime.h"
#include "settings/QtPrinters.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

// Runs the test body under one locale and puts the default back after it.
class UserFormats : public ::testing::Test
{
protected:
    void Use(const QLocale &locale) { QLocale::setDefault(locale); }
    void TearDown() override { QLocale::setDefault(saved); }

    const QLocale saved;
};

} // namespace

TEST(UserDateTime, TimeZoneFieldsAreDropped)
{
    struct Case { const char *format; const char *expected; };
    const Case cases[] = {
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"h:mm:ss AP tttt", "h:mm:ss AP"},
        {"t HH:mm", "HH:mm"},
        {"HH:mm:ss", "HH:mm:ss"},
        {"HH 'Uhr' t", "HH 'Uhr'"},
        {"HH 'at' mm", "HH 'at' mm"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WithoutTimeZone(QString::fromUtf8(c.format)), QString::fromUtf8(c.expected)) << c.format;
}

TEST_F(UserFormats, DatesAndTimesReadBackWhatTheyWrite)
{
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        Use(locale);
        SCOPED_TRACE(locale.name().toStdString());
        for (const QDate date : {QDate(2025, 6, 11), QDate(1999, 12, 31), QDate(2030, 1, 1)}) {
            const double days = DateTimeToDays(QDateTime(date, QTime(0, 0)));
            EXPECT_EQ(ParseShortDate(FormatShortDate(days + 0.7)), days) << date.toString().toStdString();
        }
        for (const QTime time : {QTime(0, 0, 0), QTime(14, 30, 5), QTime(23, 59, 59)}) {
            const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
            EXPECT_EQ(ParseLongTime(FormatLongTime(fraction)), fraction) << time.toString().toStdString();
            EXPECT_FALSE(FormatLongTime(fraction).contains(QLatin1String("UTC")));
        }
        EXPECT_EQ(ParseShortDate(QStringLiteral("not a date")), 0);
        EXPECT_EQ(ParseLongTime(QStringLiteral("25:99")), 0);
        EXPECT_EQ(ParseShortDate(QString()), 0);
    }
}

TEST_F(UserFormats, ShowsTheUserFormats)
{
    Use(QLocale(QLocale::English, QLocale::UnitedStates));
    const double when = DateTimeToDays(QDateTime(QDate(2025, 6, 11), QTime(14, 30, 5)));
    EXPECT_EQ(FormatShortDate(when), QStringLiteral("6/11/25"));
    EXPECT_EQ(FormatLongTime(when), QStringLiteral("2:30:05 PM"));
    EXPECT_EQ(FormatShortDate(std::numeric_limits<double>::quiet_NaN()), QString());
}
