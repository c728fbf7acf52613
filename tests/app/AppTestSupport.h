#pragma once

#include <QByteArray>
#include <QString>

#include "support/WidgetTestSupport.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

class TMainForm;

// Every app test program powers nothing off: a recorder replaces the login
// manager before main() runs (see AppTestSupport.cpp). Its count:
int PowerOffRequests();
void ResetPowerOffRequests();

// Writes settings into the store of the current home before a start.
void StoreSettings(const std::function<void(class TRegSettings &)> &change);

// The child of `owner` with this object name (the windows keep their widgets
// private; tests find them as a user's tools would, by name).
template <typename T>
T *Find(const QObject *owner, const char *name)
{
    return owner->findChild<T *>(QLatin1String(name));
}

// A main window as the tests use it: its start-up tip offer switched off.
std::unique_ptr<TMainForm> MakeMainForm();

// The bytes of a file; none when it cannot be read.
QByteArray ReadAll(const QString &path);
