#include "engine/RegScheme.h"

void TRegScheme::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TRegScheme *>(&source);
    if (!other)
        AssignError(source);
    *this = *other;
}
