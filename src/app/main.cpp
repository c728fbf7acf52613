// zavelon: the desktop program.
#include "engine/AppInfo.h"
#include "engine/ProgramHome.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zavelon"));
    QApplication::setApplicationVersion(QStringLiteral(ZAVELON_VERSION));
    SetProgramHome(ResolveProgramHome());

    QMainWindow window;
    window.setWindowTitle(AppInfo::kTitle);
    window.resize(1000, 700);
    window.show();
    return app.exec();
}
