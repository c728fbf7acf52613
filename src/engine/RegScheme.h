#pragma once

#include "engine/Persistent.h"

#include <cstdint>

// The run schedule of a task (or of the default options). This record holds
// the values only; when a schedule is due, and how it is described and edited,
// lives with the settings.
class TRegScheme : public TPersistent
{
public:
    // Kinds of schedule kept in SchemeType.
    enum : std::uint8_t { stNone = 0, stEvery = 1, stDaily = 2, stWeekly = 3, stMonthly = 4 };

    TRegScheme() = default;
    TRegScheme(const TRegScheme &) = default;
    TRegScheme &operator=(const TRegScheme &) = default;

    // Copies the four fields from another TRegScheme; any other source is
    // refused with the assignment error.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TRegScheme"); }

    // Fields in the order of the settings store. Values are never validated:
    // a type above 4 or a negative count is kept as it is.
    std::int32_t SchemeCount = 0;
    std::uint8_t SchemeType = stNone;
    double SchemeStartDate = 0.0; // days since 1899-12-30; whole part 0 = "start on now"
    double SchemeStartTime = 0.0; // fraction of a day
};
