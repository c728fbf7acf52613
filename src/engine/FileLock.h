#pragma once

#include <QString>

// A lock on a file that programs on one home share, held through a lock file
// beside it (flock): the kernel releases it when the holding process ends,
// however it ends, so a crash never leaves a file locked. Two lock objects of
// one process exclude each other as two processes do; one object is used by
// one thread at a time.
//
// The holder writes "PID PROGRAM" into the lock file, so that a program that
// finds the file locked can say who holds it.
class TFileLock
{
public:
    // `lockFile` is the lock file's path; `removeOnUnlock` deletes it when
    // the lock is given back (a lock file that only exists while someone
    // holds the lock).
    explicit TFileLock(const QString &lockFile, bool removeOnUnlock = false);
    // Gives the lock back when held.
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    const QString &LockFile() const { return m_path; }

    enum class TTry {
        Taken,
        Busy,   // another program (or lock object) holds it
        Failed, // the lock file cannot be made or locked
    };
    // Takes the lock if nobody holds it. Busy puts the holder in `holder`
    // ("zavelon-cli (pid 1234)"); Failed puts the reason there.
    TTry Try(QString *holder = nullptr);
    // Try() == Taken.
    bool TryLock(QString *holder = nullptr) { return Try(holder) == TTry::Taken; }
    // Waits up to `timeoutMs` for the lock; false when it did not come, with
    // the reason in `holder` ("it is locked by zavelon (pid 1234)", "cannot
    // open the lock file ...").
    bool Lock(int timeoutMs, QString *holder = nullptr);
    void Unlock();
    bool Locked() const { return m_locked; }

private:
    static constexpr int kHolderBytes = 64;

    TTry TryOnce(QString *holder);
    void WriteHolder();

    const QString m_path;
    const bool m_removeOnUnlock;
    int m_fd = -1;
    bool m_locked = false;
};

// The lock file of a file: the file's path + ".lock".
QString LockFileOf(const QString &file);
