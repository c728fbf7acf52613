#include "app/Application.h"

#include "widgets/ErrorReport.h"
#include "engine/Errors.h"

#include <QWidget>

#include <exception>

TZavelonApplication::TZavelonApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TZavelonApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EZavelonError &error) {
        ShowErrorMessage(activeWindow(), error.message());
    } catch (const std::exception &error) {
        ShowErrorMessage(activeWindow(), QString::fromLocal8Bit(error.what()));
    }
    return false;
}
