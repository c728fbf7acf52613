#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one run of the real zavelon-cli gave.
struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the real program as scripts do, with its home in `home` (never the
// user's) and, when given, `workingFolder` as its current folder; `input`
// goes to its stdin, which is then closed.
CliRun RunCli(const QString &home, const QStringList &args, const QByteArray &input = {},
              const QString &workingFolder = {});

// Runs the real program with exactly `args` (no "--home"), its home folder
// variables (ZAVELON_HOME, HOME, XDG_DATA_HOME) all pointing into `sandbox`,
// so that a home it should not have made shows up there.
CliRun RunCliInSandbox(const QString &sandbox, const QStringList &args);
