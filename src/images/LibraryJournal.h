#pragma once

#include "engine/FileLock.h"
#include "images/ImageDetail.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The journal of the image library: every program on one home appends to it
// ("imglib.db.journal" beside "imglib.db") as pictures are saved and
// recorded, so that neither a crash nor a stop before the pictures are
// measured loses a record. The library file keeps its format; the next
// program to save the library folds the journal into it (see
// TImageLibrarySession), and the next start measures what is still pending.
//
// Lines, each appended whole:
//   "P <added> <path>"                           a saved picture, not yet measured
//   "R <added> <size> <height> <width> <path>"   a record
// <added> is the date-time as a double (round-trip precision); the path is
// escaped as in the tasks' journals. A torn last line is ignored.
//
// All programs on a home take the library's lock ("imglib.db.lock", a
// TFileLock) to append, and to fold the journal into the file, so no line
// goes between a program's reading of the journal and its replacing it.
class TLibraryJournal
{
public:
    // A program that holds the library's lock longer than this (a save
    // takes a fraction of a second) is taken as hung: the wait fails.
    static constexpr int kLockWaitMs = 20000;

    struct TPending {
        double Added = 0;
        QString Path;
    };
    struct TContent {
        std::vector<std::unique_ptr<TImageDetail>> Records;
        std::vector<TPending> Pending;
    };

    explicit TLibraryJournal(const QString &libraryFile);
    ~TLibraryJournal();
    TLibraryJournal(const TLibraryJournal &) = delete;
    TLibraryJournal &operator=(const TLibraryJournal &) = delete;

    static QString PathOf(const QString &libraryFile);
    static QString LockPathOf(const QString &libraryFile);

    // Append one line under the library's lock; any thread. False when the
    // line could not be written (the lock did not come, the disk is full).
    bool AppendPending(const QString &path, double added);
    bool AppendRecord(const TImageDetail &record);

    // Every whole line of the journal, in order, handed over one at a time
    // (a journal of a long crawl holds a line per picture).
    void ForEachLine(const std::function<void(std::unique_ptr<TImageDetail> record)> &onRecord,
                     const std::function<void(TPending pending)> &onPending) const;
    // The same, all at once.
    TContent Read() const;
    // Replaces the journal by `pending` (nothing: deletes it), atomically.
    // The caller holds the library's lock. False when it cannot be written.
    bool Rewrite(const std::vector<TPending> &pending) const;

private:
    bool Append(const QByteArray &line);

    const QString m_libraryFile;
    const QString m_path;
    std::mutex m_appendLock;
    TFileLock m_lock;
    // The journal as last opened for appending (under m_appendLock).
    int m_fd = -1;
    unsigned long m_inode = 0;
    unsigned long m_device = 0;
};
