#include "settings/ui/EditorLayout.h"

#include <QLabel>

QLabel *FieldCaption(const QString &text, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

int IntegerOrDefault(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : fallback;
}
