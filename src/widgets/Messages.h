#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The program's modal message boxes, with the captions and icons its
// messages always had: "Information", "Wait" (information icon), "Error"
// (error icon), "Question" and "Confirm" (question icon). Errors that the
// tests record go through the standard error report (ErrorReport.h). Tests
// answer these boxes as a user would, through the active modal widget.
//
// Every question comes before a destructive step, so its default (and
// escape) answer is the harmless one: Enter never destroys by accident.

void ShowMessageBox(QWidget *owner, QMessageBox::Icon icon, const QString &caption, const QString &text);
// An "Information" box with OK.
void ShowInformation(QWidget *owner, const QString &text);

// A "Question" box with `buttons`; the button pressed, or Cancel (when
// offered, else No) when the box was closed otherwise.
QMessageBox::StandardButton AskQuestion(QWidget *owner, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No);
// The same, true when Yes or OK was pressed.
bool AskYes(QWidget *owner, const QString &text,
            QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No);

// A "Confirm" box with Yes and No; true for Yes.
bool ConfirmYesNo(QWidget *owner, const QString &text);
