#include "widgets/AppResources.h"

#include <QtGlobal>

static void RegisterAppResources()
{
    Q_INIT_RESOURCE(AppResources);
}

void InitAppResources()
{
    static const bool registered = (RegisterAppResources(), true);
    Q_UNUSED(registered);
}
