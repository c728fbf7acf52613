#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// The desktop program's switches, as "zavelon --help" prints them.
QByteArray DesktopUsageText();

// What "--help" / "-h" or "--version" among the arguments (without the
// program's name) asks to print, or nothing when neither is given. main()
// answers them before the application object exists, so they need no display
// and never open a window.
std::optional<QByteArray> InfoSwitchText(const QStringList &arguments);
