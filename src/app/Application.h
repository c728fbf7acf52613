#pragma once

#include <QApplication>

// The desktop program's application object. An exception escaping an event
// handler reaches the standard error report (a message box with its text) and
// the program goes on, instead of terminating.
class TZavelonApplication : public QApplication
{
    Q_OBJECT

public:
    TZavelonApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
