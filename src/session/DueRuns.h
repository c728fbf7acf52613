#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The schedule slot each scheduled task was last started for, kept in a file
// of the home so that every program on it (the desktop program's timer, a
// `run-due` every minute from a timer of the system) starts a task once per
// slot, whichever program gets there first. One line per task: the slot in
// milliseconds, a tab, the project file's full path. Written atomically,
// read and changed under a lock of the file's own, so two programs never
// lose each other's lines.
class TDueRuns
{
public:
    explicit TDueRuns(const QString &fileName);

    const QString &FileName() const { return m_fileName; }

    // The slot the task was last started for, if any. A file that cannot be
    // read counts as empty: the worst is a task that runs once more.
    std::optional<std::int64_t> LastSlot(const QString &taskPath) const;
    // Remembers that the task was started for `slot`. Raises EZavelonError
    // naming the file when it cannot be written.
    void Record(const QString &taskPath, std::int64_t slot);
    // Takes `slot` for the task unless a program has already started it for
    // that slot or a later one: the look and the record under one lock, so
    // of two programs that find the task due only one runs it. Raises
    // EZavelonError when the file cannot be locked or written.
    bool Claim(const QString &taskPath, std::int64_t slot);

private:
    // Under the caller's lock.
    void WriteSlot(const QString &taskPath, std::int64_t slot);

    QString m_fileName;
};

// The file in the home: "due-runs.txt".
QString DueRunsFileName(const QString &home);
