#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The pictures windows' questions and notices: modal boxes with the fixed
// captions "Question" and "Information". Errors go through the standard
// error report (widgets/ErrorReport.h).

// True when the first of the two answers (OK or Yes) was chosen.
bool AskQuestion(QWidget *owner, const QString &text,
                 QMessageBox::StandardButtons buttons = QMessageBox::Ok | QMessageBox::Cancel);
void ShowInformation(QWidget *owner, const QString &text);
