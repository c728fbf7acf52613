#pragma once

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

// Error reports recorded instead of shown as message boxes.
class TErrorLog
{
public:
    TErrorLog();
    ~TErrorLog();
    QStringList Texts;
};

// A temporary program home, set as ProgramHome() for the test's duration.
class TTempHome
{
public:
    TTempHome();
    QString Path() const; // ends with "/"
    bool IsValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

// Runs `action` on the next modal widget that opens (polling the event loop),
// once. The handler stays armed until a modal widget appeared or it is
// destroyed; Fired() tells whether it ran.
class TModalHandler
{
public:
    explicit TModalHandler(std::function<void(QWidget *modal)> action);
    ~TModalHandler();
    bool Fired() const { return *m_fired; }

private:
    std::shared_ptr<bool> m_fired;
    std::shared_ptr<bool> m_armed;
};

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
