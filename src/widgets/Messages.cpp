#include "widgets/Messages.h"

#include <QMessageBox>

bool ConfirmYesNo(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setObjectName(QStringLiteral("ConfirmBox"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
