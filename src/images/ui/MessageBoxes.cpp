#include "images/ui/MessageBoxes.h"

bool AskQuestion(QWidget *owner, const QString &text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Question"), text, buttons, owner);
    const QMessageBox::StandardButton yes = buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    box.setDefaultButton(yes);
    return box.exec() == yes;
}

void ShowInformation(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, owner);
    box.exec();
}
