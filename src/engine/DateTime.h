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

// Makes local-time conversions cheap for the life of the process: with TZ
// unset, glibc looks at /etc/localtime again on every conversion (a stat
// call per log line, per library record). Pointing TZ at that same file
// keeps the zone the system gives and lets glibc load it once. A TZ the
// user set is left alone. Call first thing in main(), before any thread.
void PinLocalTimeZone();

// A time format without time-zone fields ("t" ... "tttt" outside quotes) and
// the blanks before them: times the program shows are wall-clock times of
// the local day, and a zone name would also keep a text from parsing back.
QString WithoutTimeZone(const QString &format);
