// zavelon: the desktop program.
#include "app/Application.h"
#include "app/Startup.h"
#include "engine/DateTime.h"
#include "engine/ProgramHome.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    PinLocalTimeZone();
    TZavelonApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zavelon"));
    QApplication::setApplicationVersion(QStringLiteral(ZAVELON_VERSION));

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
