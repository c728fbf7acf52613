#include "widgets/Messages.h"

void ShowMessageBox(QWidget *owner, QMessageBox::Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void ShowInformation(QWidget *owner, const QString &text)
{
    ShowMessageBox(owner, QMessageBox::Information, QStringLiteral("Information"), text);
}

namespace {

QMessageBox::StandardButton Ask(QWidget *owner, const QString &caption, const QString &text,
                                QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Question, caption, text, buttons, owner);
    box.setObjectName(QStringLiteral("QuestionBox"));
    const QMessageBox::StandardButton harmless =
        buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
    box.setEscapeButton(harmless);
    box.setDefaultButton(harmless);
    const int answer = box.exec();
    // exec() gives the standard button pressed; closing the box otherwise
    // gives the escape button, or nothing at all.
    return answer == 0 || answer == -1 ? harmless : QMessageBox::StandardButton(answer);
}

} // namespace

QMessageBox::StandardButton AskQuestion(QWidget *owner, const QString &text, QMessageBox::StandardButtons buttons)
{
    return Ask(owner, QStringLiteral("Question"), text, buttons);
}

bool AskYes(QWidget *owner, const QString &text, QMessageBox::StandardButtons buttons)
{
    const QMessageBox::StandardButton answer = AskQuestion(owner, text, buttons);
    return answer == QMessageBox::Yes || answer == QMessageBox::Ok;
}

bool ConfirmYesNo(QWidget *owner, const QString &text)
{
    return Ask(owner, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
