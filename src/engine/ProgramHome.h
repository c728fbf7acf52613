#pragma once

#include <QString>

// The program's home folder, where everything it writes lives (the settings
// store, imglib.db, the working folders). Chosen in this order: the explicit
// `override` (the --home switch), $ZAVELON_HOME, $XDG_DATA_HOME/Zavelon,
// ~/.local/share/Zavelon. The result is absolute, ends with "/" and exists
// (created when missing; an empty text when it cannot be made).
QString ResolveProgramHome(const QString &override = QString());

// The home chosen at start-up; set once by each program's main().
QString ProgramHome();
void SetProgramHome(const QString &home);
