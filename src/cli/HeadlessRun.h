#pragma once

#include "cli/StopSignals.h"
#include "engine/Task.h"

#include <QString>
#include <QStringList>

class TDownloadSession;

// How one headless run of a task went.
struct TRunResult {
    bool Refused = false; // another program runs the task file (Refusal says which)
    QString Refusal;
    QStringList Failures; // what no count holds: a project or library that could not be written
    TRunCounts Counts;

    // What makes `run` exit 1: a file not written here, a start address
    // that could not be fetched at all, a refusal, a failure above.
    bool Failed() const;
    // "N picture(s) saved, M failed" and what failed, for the end of a run.
    QString Summary() const;
};

// Runs tasks of a session to their ends without a display, for `run` and
// `run-due`: one task at a time, in the session's event loop. SIGINT and
// SIGTERM, or Stop() (a broken pipe), stop at once: the session is shut
// down quickly (its running task stopped and written, pictures still being
// measured left pending in the library's journal) and no further task runs.
class THeadlessRunner
{
public:
    explicit THeadlessRunner(TDownloadSession &session);

    // Runs `task` (one of the session's) until its run ends by itself or a
    // stop comes; `scheduled` starts it as a schedule does (a task with
    // nothing left to do starts over).
    TRunResult Run(TTask *task, bool scheduled);

    // Stops with an exit code (130, 143, 141); later stops keep the first.
    void Stop(int code);
    // The exit code of the stop, or 0 when none came.
    int StopCode() const { return m_stopCode; }

private:
    TDownloadSession &m_session;
    TStopSignals m_signals;
    int m_stopCode = 0;
    QStringList m_stopFailures;
};

// A run stopped because stdout went away: 128 + SIGPIPE, as a shell reports
// a program that the signal ended.
inline constexpr int kExitBrokenPipe = 128 + SIGPIPE;
