#pragma once

#include <QString>

#include <functional>

class QWidget;

// The application's standard error report: a modal message box captioned
// "Error" with the error's text, after which the program goes on. Tests and
// head-less runs replace the handler to record the texts instead.
using TErrorReporter = std::function<void(QWidget *owner, const QString &text)>;

void ShowErrorMessage(QWidget *owner, const QString &text);

// Installs a handler and returns the previous one; an empty handler restores
// the message box.
TErrorReporter SetErrorReporter(TErrorReporter reporter);
