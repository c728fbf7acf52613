#include "settings/RegWindow.h"

void TRegWindow::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TRegWindow *>(&source);
    if (!other)
        AssignError(source);
    *this = *other;
}
