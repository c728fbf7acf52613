// zavelon: the desktop program.
#include "app/Application.h"
#include "app/BrowserHandOver.h"
#include "app/HostManifests.h"
#include "app/InfoSwitches.h"
#include "app/NativeHost.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

QString ProgramPath(const char *argv0)
{
    // The path the browsers' host and the menu entry start again; the link
    // of the running executable names it even when started through $PATH.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return !self.isEmpty() ? self : QFileInfo(QString::fromLocal8Bit(argv0)).absoluteFilePath();
}

} // namespace

int main(int argc, char *argv[])
{
    // Help and version need no display: answered before Qt looks for one.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QByteArray> text = InfoSwitchText(arguments)) {
        std::fwrite(text->constData(), 1, static_cast<size_t>(text->size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // The browser's messaging host and the two switches of the browser
    // entries need no display either, and never open a window.
    if (IsNativeHostStart(arguments))
        return RunNativeHostProgram(argc, argv);
    if (const std::optional<TRegistrationSwitch> which = FindRegistrationSwitch(arguments))
        return RunRegistration(argc, argv, *which);

    QString error;
    const std::optional<THandOverRequest> request = StartRequest(arguments, &error);
    if (!request) {
        std::fprintf(stderr, "zavelon: %s\nTry \"zavelon --help\".\n", error.toLocal8Bit().constData());
        return 2;
    }
    const QString home = ResolveProgramHome(HomeArgument(QStringList{QString()} + arguments));
    if (home.isEmpty()) {
        std::fprintf(stderr, "zavelon: cannot create the home folder\n");
        return 1;
    }
    // One program per user and home: a second start hands its address (or
    // its wish to see the window) to the running one and ends.
    TInstanceLock instance(home);
    const TInstanceLock::TState state = instance.Acquire();
    if (state == TInstanceLock::TState::HeldElsewhere)
        return HandOverToRunningProgram(argc, argv, home, *request);
    // The entries name the program that runs for this home, not every start
    // that only hands an address over.
    UpdateHostManifests(ProgramPath(argv[0]), home);
    if (state == TInstanceLock::TState::Unavailable)
        std::fprintf(stderr, "zavelon: addresses cannot be handed over: %s\n",
                     instance.Error().toLocal8Bit().constData());

    PinLocalTimeZone();
    TZavelonApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zavelon"));
    QApplication::setApplicationVersion(QStringLiteral(ZAVELON_VERSION));
    // Lets the desktop match the windows to the installed menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zavelon.Zavelon"));
    SetProgramHome(home);

    TDesktopProgram program;
    program.Start();

    TBrowserHandOver handOver(*program.MainForm());
    if (state == TInstanceLock::TState::Acquired) {
        try {
            handOver.Listen(home);
        } catch (const EZavelonError &failure) {
            std::fprintf(stderr, "zavelon: addresses cannot be handed over: %s\n",
                         failure.message().toLocal8Bit().constData());
        }
    }
    if (request->Kind == THandOverRequest::TKind::CreateUrl)
        handOver.Post(*request);
    return app.exec();
}
