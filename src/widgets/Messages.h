#pragma once

#include <QString>

class QWidget;

// The program's questions: a modal box captioned "Confirm" with the question
// icon and the buttons Yes and No (No is the default, so Enter never destroys
// by accident). True for Yes.
bool ConfirmYesNo(QWidget *owner, const QString &text);
