#pragma once

#include "engine/DateTime.h"

#include <QString>

// Dates and times as the user writes them: the short date format and the long
// time format of the user's locale (QLocale(), which is QLocale::system()
// unless the program sets another default). Date-times are day numbers (days since
// 1899-12-30, see engine/DateTime.h). The schedule's description and its
// dialog show and read start dates and times with these.

// The long time format without its time-zone part: a schedule's start time
// is a wall-clock time of the local day, not an instant in some zone, and a
// zone name would also keep the text from parsing back.
QString LongTimeFormat();

// The date of a day number in the short date format; empty when the number
// is no date.
QString FormatShortDate(double days);
// The time of day of a day number in the long time format; empty when the
// number is no date-time.
QString FormatLongTime(double days);

// The day number of a date in the short date format (a whole number); 0 when
// the text does not parse. A two-digit year is taken within 50 years of today.
double ParseShortDate(const QString &text);
// The fraction of a day of a time in the long time format; 0 when the text
// does not parse.
double ParseLongTime(const QString &text);
