#pragma once

#include <QDateTime>

// Date-times travel through files and the settings store as 64-bit floats
// counting days since 1899-12-30 (local time), the fraction being the time of
// day. These two helpers are the only conversion between that number and
// QDateTime, so every format agrees to the millisecond.
double DateTimeToDays(const QDateTime &dateTime);
QDateTime DaysToDateTime(double days);

// The current local date-time as a day number.
double NowDays();
