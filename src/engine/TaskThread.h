#pragma once

#include "engine/ParsedUrl.h"

#include <QString>

#include <functional>
#include <memory>

class TTask;
class TTaskItem;
class TWorkerState;

// How a worker's item ended. Done: processed (a page scanned, a file the
// rules skip); Saved: its picture is in place; Failed: the picture or page
// could not be had, and the log says why (Failure, one line naming the URL
// or the file) and whether it was a failure to write here (Local) rather
// than one of the web site.
struct TWorkResult
{
    enum TKind { Done, Saved, Failed };
    TKind Kind = Done;
    bool Picture = false;
    bool Local = false;
    QString Failure;
};

// A download worker: processes one item of one task on a thread of its own,
// at idle priority (SCHED_IDLE, which is what QThread::IdlePriority means on
// Linux). The thread is a std::thread, so that its life is visible to
// ThreadSanitizer, taken from a pool of parked ones (TThreadPool): it starts
// at once all the same, but a crawl does not pay a thread start per item.
// A page that is not too deep is fetched, scanned, maybe saved, and its new
// links of the task's site family are queued one level deeper; a picture
// whose extension has a file mask is checked against the exclusions and size
// limits and downloaded into the mask's folder under a temporary "!!wr"
// name, then renamed, listed, and handed to the image library. It talks to
// the user through the task's log and views only.
//
// Failures: every failure that costs a picture or a page is logged (as
// TLogKind::Failure) with its cause: the HTTP status, the transport failure
// (refused, timed out, TLS certificate not trusted, ...), or the local write
// error (disk full, permission denied, ...). The item then fails (see
// TWorkResult) rather than passing for done.
//
// Files: the final name of a picture is chosen and claimed in one step
// (ClaimUniqueFileName), so a second picture of the same name becomes
// name[n] even while the first is still being written; a name too long for
// the file system with its "!!wr" suffix is shortened. The temporary file is
// created exclusively and held (HoldOpenFile) until it is renamed into place,
// without replacing anything, in one step with the journal line that
// records it (TTaskJournal).
//
// Ownership and stopping. The object is the main thread's handle on the
// worker; its item owns it. The thread itself runs on a TWorkerState that the
// thread, this handle and every call posted to the main thread share
// (shared_ptr), so the handle may go while the thread still unwinds. The
// worker touches its task, its item, the item list, the views and its files
// only through its stop gate (TStopGate): inside short locked steps (a list
// operation, a file write, a rename), or on the main thread, in a call it
// posted there and waits for. Stop() (main thread) stops the gate, closes
// and deletes the file being written, gives the task's page lock back when
// this worker holds it, cancels the HTTP transfer (it ends at once, in any
// phase) and wakes the worker if it waits for the main thread or for the
// page lock. It returns at once; afterwards the worker's thread only
// unwinds: it touches nothing of the task any more, and its end handler
// never runs. Nothing kills a thread.
//
// A worker that has ended by itself before the stop keeps its end handling:
// Stop() leaves it alone (returns false) and the end handler still runs.
class TTaskThread
{
public:
    // Made on the main thread; takes its own copy of the URL, the item's depth
    // and the task's options, so that the thread never reads them from the
    // task.
    TTaskThread(TTask *task, const QString &url, TTaskItem *item);
    // Stops the worker when it still runs (its end handler then never runs)
    // and lets the thread finish on its own; never waits for it.
    ~TTaskThread();
    TTaskThread(const TTaskThread &) = delete;
    TTaskThread &operator=(const TTaskThread &) = delete;

    TTaskItem *Item() const { return m_item; }
    TTask *Task() const { return m_task; }
    // The URL as the worker was given it (the worker may add a final "/").
    const TParsedUrl &URL() const { return m_url; }

    // The progress the worker reported last: bytes received, and the length
    // the server announced (0 when none).
    qint64 Received() const { return m_received; }
    qint64 Length() const { return m_length; }
    void SetProgress(qint64 received, qint64 length);

    // Lets the worker run once. `onEnded` is called on the main thread when
    // the worker has ended by itself, whatever the outcome; never after a stop.
    // False (with the reason in `error`) when the system gives no thread: the
    // worker never runs and its end handler never comes.
    bool Start(std::function<void(TTaskThread *)> onEnded, QString *error = nullptr);
    // After its end has been handled: lets go of everything the worker used
    // (its options, client, buffers); the object keeps only what it shows.
    // A long crawl keeps one such object per done item.
    void Release();

    // Ends the worker at once (see above). Returns false, and changes
    // nothing, when the worker had already ended by itself.
    bool Stop();
    // The worker has ended by itself (its end handler is due or has run).
    bool Ended() const;
    // What the worker did; meaningful once it has ended by itself (read it
    // before Release).
    TWorkResult Result() const;
    // A stopped worker had already put its picture in place under its final
    // name (and recorded it): its item is done all the same.
    bool SavedBeforeStop() const;

    // The extension of a document as file-name functions take it: from its
    // last "." after its last "/" or ":", dot included; empty when none.
    static QString ExtractFileExt(const QString &name);
    // A page's text as lines: split at CR LF, a lone CR or a lone LF, ending
    // at a NUL; every line, the last too, followed by CR LF.
    static QByteArray TextLines(const QByteArray &text);

    // Where saved pictures go besides the disk: the image library of the
    // program (a callable that records the path and starts its adding
    // thread), or none. Set by the program at start-up and cleared before
    // the library is shut down. Called on worker threads right after a
    // picture got its final name, also when a stop comes at that moment, and
    // under a lock that setting the hook takes too: once the hook is
    // cleared, no call of it is running.
    static void SetPictureSavedHook(std::function<void(const QString &path)> hook);

    // Worker threads of the process that have not finished yet, also stopped
    // ones that still unwind; and a wait for them all (for program exit and
    // tests). WaitForAll returns false when `timeoutMs` passed first.
    static int LiveThreads();
    static bool WaitForAll(int timeoutMs);

private:
    TTask *m_task;
    TTaskItem *m_item;
    TParsedUrl m_url;
    qint64 m_received = 0;
    qint64 m_length = 0;
    std::shared_ptr<TWorkerState> m_state;
};
