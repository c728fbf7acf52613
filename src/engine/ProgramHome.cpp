#include "engine/ProgramHome.h"

#include "engine/FileNames.h"

#include <QDir>

namespace {

QString &CurrentHome()
{
    static QString home;
    return home;
}

} // namespace

QString ResolveProgramHome(const QString &override)
{
    QString home = override;
    if (home.isEmpty())
        home = qEnvironmentVariable("ZAVELON_HOME");
    if (home.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty())
            data = QDir::homePath() + QStringLiteral("/.local/share");
        home = data + QStringLiteral("/Zavelon");
    }
    home = QDir(home).absolutePath();
    if (!QDir().mkpath(home))
        return {};
    return AddBackslash(home);
}

QString ProgramHome()
{
    if (CurrentHome().isEmpty())
        CurrentHome() = ResolveProgramHome();
    return CurrentHome();
}

void SetProgramHome(const QString &home)
{
    CurrentHome() = AddBackslash(home);
}
