#include "widgets/ErrorReport.h"

#include <QMessageBox>

namespace {

TErrorReporter &CurrentReporter()
{
    static TErrorReporter reporter;
    return reporter;
}

} // namespace

void ShowErrorMessage(QWidget *owner, const QString &text)
{
    if (CurrentReporter()) {
        CurrentReporter()(owner, text);
        return;
    }
    QMessageBox::critical(owner, QStringLiteral("Error"), text);
}

TErrorReporter SetErrorReporter(TErrorReporter reporter)
{
    TErrorReporter previous = std::move(CurrentReporter());
    CurrentReporter() = std::move(reporter);
    return previous;
}
