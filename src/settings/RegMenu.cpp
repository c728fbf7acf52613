#include "settings/RegMenu.h"

void TRegMenu::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TRegMenu *>(&source);
    if (!other)
        AssignError(source);
    *this = *other;
}
