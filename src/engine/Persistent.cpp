#include "engine/Persistent.h"

#include "engine/Errors.h"

void TPersistent::Assign(const TPersistent &source)
{
    AssignError(source);
}

void TPersistent::AssignError(const TPersistent &source) const
{
    throw EZavelonError(QStringLiteral("Cannot assign a %1 to a %2").arg(source.ClassName(), ClassName()));
}
