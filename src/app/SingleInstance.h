#pragma once

#include "app/HandOverChannel.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// One desktop program per user and home. The program of a home holds this
// lock, beside its socket, for its whole life; a second start of the same
// home finds it held, hands its request to the running program and ends.
// A lock left by a program that died is recognised and taken over.
class TInstanceLock
{
public:
    enum class TState {
        Acquired,      // this start is the program of its home
        HeldElsewhere, // a running program of the same home holds it
        Unavailable,   // the lock's folder cannot be used; see Error()
    };

    explicit TInstanceLock(const QString &home);
    ~TInstanceLock();

    TState Acquire();
    QString Error() const { return m_error; }

private:
    QString m_home;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};

// What a start asks of the program besides starting it: the address named on
// the command line (the one argument that is no switch), or only to be shown.
// Nothing, with the reason, for an argument that is not an http or https
// address or for more than one address.
std::optional<THandOverRequest> StartRequest(const QStringList &arguments, QString *error);

// A second start: hands `request` to the running program of `home` and
// returns the exit code (0 when done or cancelled, 1 with the reason on
// standard error otherwise). Needs no display.
int HandOverToRunningProgram(int argc, char **argv, const QString &home, const THandOverRequest &request);
