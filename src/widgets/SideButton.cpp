#include "widgets/SideButton.h"

#include <QPushButton>

QPushButton *SideButton(const QString &caption, const QString &objectName, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}
