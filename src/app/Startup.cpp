#include "app/Startup.h"

#include "app/LoadingForm.h"
#include "app/MainForm.h"
#include "app/WaitForm.h"
#include "engine/AppInfo.h"

#include <QApplication>

namespace {

QString &Title()
{
    static QString title = AppInfo::kTitle;
    return title;
}

TStartupObserver &Observer()
{
    static TStartupObserver observer;
    return observer;
}

} // namespace

QString ApplicationTitle()
{
    return Title();
}

void SetApplicationTitle(const QString &title)
{
    Title() = title;
}

void SetStartupObserver(TStartupObserver observer)
{
    Observer() = std::move(observer);
}

void ReportStartupStep(const QString &step)
{
    if (Observer())
        Observer()(step);
}

QString HomeArgument(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--home") && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (argument.startsWith(QLatin1String("--home=")))
            return argument.mid(7);
    }
    return {};
}

TDesktopProgram::TDesktopProgram() = default;

TDesktopProgram::~TDesktopProgram()
{
    // The main window ends the add threads and writes the library as it goes.
    m_mainForm.reset();
    WaitForm = nullptr;
    m_waitForm.reset();
    delete m_splash;
}

TLoadingForm *TDesktopProgram::Splash() const
{
    return m_splash;
}

void TDesktopProgram::Start()
{
    // The tray keeps the program alive while no window is visible; only Exit
    // ends the message loop.
    QApplication::setQuitOnLastWindowClosed(false);

    SetApplicationTitle(AppInfo::kTitle);
    ReportStartupStep(QStringLiteral("Title"));

    m_splash = new TLoadingForm;
    m_splash->show();
    m_splash->repaint();
    ReportStartupStep(QStringLiteral("Splash"));

    m_mainForm = std::make_unique<TMainForm>();
    ReportStartupStep(QStringLiteral("Main window"));

    m_waitForm = std::make_unique<TWaitForm>();
    WaitForm = m_waitForm.get();
    ReportStartupStep(QStringLiteral("Wait window"));

    m_mainForm->show();
    // The splash stays above the main window until its timer or a click.
    if (m_splash)
        m_splash->raise();
    ReportStartupStep(QStringLiteral("Show"));
}
