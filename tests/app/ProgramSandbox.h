#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QProcess;

// A user of their own for tests that start the real desktop program or reach
// the hand-over socket: a temporary $HOME (with its XDG config and data
// folders), a private runtime folder for the sockets, and a program home.
// The variables are set in this process too while the sandbox lives, so
// that what the test does in-process finds the same sockets and files, and
// nothing is written into the real user's folders.
class TProgramSandbox
{
public:
    TProgramSandbox();
    ~TProgramSandbox();

    bool IsValid() const { return m_valid; }
    QString UserHome() const;    // $HOME
    QString ConfigHome() const;  // $XDG_CONFIG_HOME
    QString DataHome() const;    // $XDG_DATA_HOME
    QString RuntimeFolder() const; // $XDG_RUNTIME_DIR
    QString ProgramHome() const; // the program's --home, ends with "/"

    // The environment of a started program: the sandbox's variables, no
    // display of any kind, and Qt's platform as given ("offscreen" for a
    // program that opens windows; "xcb" makes any attempt to open one fail).
    QProcessEnvironment Environment(const QString &platform = QStringLiteral("xcb")) const;

    struct TRun {
        int ExitCode = -1; // -1 when it crashed or did not end in time
        QByteArray Out;
        QByteArray Err;
    };
    // Runs the desktop program to its end, feeding `input` on its standard
    // input. The event loop runs meanwhile, so an in-process program can
    // answer it.
    TRun Run(const QStringList &arguments, const QByteArray &input = {},
             const QString &platform = QStringLiteral("xcb"), int timeoutMs = 60000) const;
    // Starts it without waiting; the caller ends it.
    std::unique_ptr<QProcess> Start(const QStringList &arguments, const QString &platform) const;

private:
    QTemporaryDir m_root;
    bool m_valid = false;
    QProcessEnvironment m_saved;
};

// The desktop program under test.
QString DesktopProgramPath();
