// zavelon: the desktop program.
#include "app/Application.h"
#include "app/InfoSwitches.h"
#include "app/Startup.h"
#include "engine/DateTime.h"
#include "engine/ProgramHome.h"

#include <QApplication>

#include <cstdio>

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

    PinLocalTimeZone();
    TZavelonApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zavelon"));
    QApplication::setApplicationVersion(QStringLiteral(ZAVELON_VERSION));
    // Lets the desktop match the windows to the installed menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zavelon.Zavelon"));

    const QString home = ResolveProgramHome(HomeArgument(QApplication::arguments()));
    if (home.isEmpty()) {
        std::fprintf(stderr, "zavelon: cannot create the home folder\n");
        return 1;
    }
    SetProgramHome(home);

    TDesktopProgram program;
    program.Start();
    return app.exec();
}
