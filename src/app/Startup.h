#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TLoadingForm;
class TMainForm;
class TWaitForm;

// The application title: the main window's caption.
QString ApplicationTitle();
void SetApplicationTitle(const QString &title);

// The start-up steps report themselves to an observer, when one is installed:
// "Title", "Splash", "Library", "Settings", "Sample tasks", "Task tree",
// "Main window", "Wait window", "Show".
using TStartupObserver = std::function<void(const QString &step)>;
void SetStartupObserver(TStartupObserver observer);
void ReportStartupStep(const QString &step);

// The home folder given by "--home DIR" or "--home=DIR" among the arguments,
// empty when none is given.
QString HomeArgument(const QStringList &arguments);

// The desktop program's windows, made in the order of its start.
class TDesktopProgram
{
public:
    TDesktopProgram();
    ~TDesktopProgram();

    // Sets the title, shows the splash, creates the main window (which loads
    // the library and the settings, writes the sample tasks on the first
    // start and reads the task tree), creates the wait window, and shows the
    // main window. The caller then runs the message loop.
    void Start();

    TMainForm *MainForm() const { return m_mainForm.get(); }
    // The splash window while it is up, else null.
    TLoadingForm *Splash() const;

private:
    QPointer<TLoadingForm> m_splash;
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<TWaitForm> m_waitForm;
};
