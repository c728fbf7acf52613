#pragma once

#include <QMessageBox>
#include <QString>

// The program's modal message boxes, with the captions and icons its
// messages always had: "Information", "Wait" (information icon), "Error"
// (error icon), "Question" (question icon). Tests answer them as a user
// would, through the application's active modal widget.

void ShowMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text);

// A "Question" box with `buttons`; the button pressed, or Cancel (when
// offered, else No) when the box was closed otherwise. That button is also
// the default, so Enter never destroys by accident.
QMessageBox::StandardButton AskQuestion(QWidget *parent, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No);
