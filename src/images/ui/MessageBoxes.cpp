#include "images/ui/MessageBoxes.h"

void ShowMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox::StandardButton AskQuestion(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Question"), text, buttons, parent);
    const QMessageBox::StandardButton closed = buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
    box.setEscapeButton(closed);
    // The questions come before destructive steps: Enter must not say yes.
    box.setDefaultButton(closed);
    const int answer = box.exec();
    // exec() gives the standard button pressed; closing the box gives the
    // escape button.
    return answer == 0 || answer == -1 ? closed : QMessageBox::StandardButton(answer);
}
