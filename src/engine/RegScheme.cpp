#include "engine/RegScheme.h"

void TRegScheme::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TRegScheme *>(&source);
    if (!other)
        AssignError(source);
    SchemeCount = other->SchemeCount;
    SchemeType = other->SchemeType;
    SchemeStartDate = other->SchemeStartDate;
    SchemeStartTime = other->SchemeStartTime;
}
