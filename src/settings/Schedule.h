#pragma once

#include "engine/RegScheme.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// Behaviour of a run schedule (TRegScheme): the words the editors show, the
// one-line description, and the due test of the main window's timer.
//
// A SchemeType above 4 (only a damaged or foreign file or store can hold one)
// is treated as None everywhere here: it has no unit word, no description and
// is never due. The value itself is kept as it was read.

// The type names of the editors' type list, indexed by SchemeType:
// "None", "Every", "Daily", "Weekly", "Monthly".
const QStringList &SchemeTypeNames();
// SchemeType of a type name of that list (exact, case-sensitive), or -1.
int SchemeTypeOfName(const QString &name);

// "Hour(s)", "Day(s)", "Week(s)", "month(s)" for types 1 to 4; empty otherwise.
QString UnitWord(int schemeType);
// The unit word of "Every", "Daily", "Weekly", "Monthly"; empty for anything
// else, "None" included.
QString UnitWordOfName(const QString &name);

// "All project will start every <count> <unit>, From <date>, <time>" with the
// start date in the user's short date format and the start time in the user's
// long time format (see UserDateTime.h); empty for None (or a date-time that
// cannot be written).
QString Description(const TRegScheme &scheme);

// Whether the schedule is due at `now` (local date-time, days since
// 1899-12-30). Hourly: the coming hourly slot from start date + start time is
// less than 10 seconds away, or is exactly now. Daily, weekly, monthly (steps
// of 1, 7 and 30 days): today is the start date plus a whole number of steps,
// all day long. Before the start nothing is due. SchemeCount plays no part.
// Takes the same time whatever the distance from the start.
bool IsDue(const TRegScheme &scheme, double now);

// The slot that makes the schedule due at `now`, as milliseconds since
// 1899-12-30 (local): the hourly slot being reached, or the start of the due
// day. Nothing when not due. A due day stays due all day long, and an hourly
// slot for ten seconds, so whoever starts tasks by schedule remembers the
// slot it started a task for and starts it once per slot.
std::optional<std::int64_t> DueSlot(const TRegScheme &scheme, double now);

// The latest slot that has opened by `now`, for a caller that looks only now
// and then (a timer every minute): an hourly slot opens when the desktop's
// timer would start it (ten seconds early) and stays open until the next
// one opens; a due day is open all day. Nothing before the first slot, and
// on a day that is not due. Starting a task once per open slot never misses
// an hourly slot and starts a daily, weekly or monthly task once on its day.
std::optional<std::int64_t> OpenSlot(const TRegScheme &scheme, double now);
