#pragma once

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class TImageLibrary;
class TStopGate;

// A short-lived thread that records one saved picture in the library: its
// whole work is AddImageFile(library, path). It starts running when made, on
// a system thread of its own taken from a pool of parked ones (TThreadPool):
// a crawl saves pictures one after another, and a thread start per picture
// would cost more than many a small picture's measuring. Errors (a file that
// cannot be opened, a path too long) end it silently.
//
// End() makes sure the thread never touches the library again, without
// waiting for its measuring: a picture still being decoded is then not
// recorded, and its decoding gives up within a moment (TAbandonDecoding), so
// that waiting for an ended thread takes no longer than that. The library is only touched in steps under the thread's stop
// gate (TStopGate), and End() stops that gate, so it returns at most one
// elementary library operation later and never leaves the library's lock
// held.
class TAddImageThread
{
public:
    // `quiet`: the record is not told to the library's OnAdded listener (the
    // picture is journaled already, see TImageLibrarySession).
    TAddImageThread(TImageLibrary *library, const QString &path, bool quiet = false);
    // Ends the thread and waits for it to finish.
    ~TAddImageThread();
    TAddImageThread(const TAddImageThread &) = delete;
    TAddImageThread &operator=(const TAddImageThread &) = delete;

    TImageLibrary *Library() const { return m_library; }
    const QString &FileName() const { return m_path; }

    void End();
    bool Finished() const;
    // Waits until the thread has finished: it no longer touches this object.
    // Safe to call from several threads at once.
    void WaitFor();

private:
    void Execute();
    void AddUnlessEnded();

    TImageLibrary *const m_library;
    const QString m_path;
    const bool m_quiet;
    const std::shared_ptr<TStopGate> m_gate;
    // Shared with the running job, which signals its end through it as its
    // very last step: the object may be gone a moment later.
    struct TDone {
        std::mutex lock;
        std::condition_variable changed;
        bool done = false;
    };
    std::shared_ptr<TDone> m_done = std::make_shared<TDone>();
};

// The list of adding threads, with its own lock. The process has one (see
// TImageLibrarySession); a download worker adds a thread per saved picture
// and only shut-down reads it. Finished threads stay listed until the list
// is destroyed; their system threads went back to the pool when they finished.
class TAddImageThreadList
{
public:
    TAddImageThreadList() = default;
    // Ends every thread, waits for each to finish and frees them.
    ~TAddImageThreadList();
    TAddImageThreadList(const TAddImageThreadList &) = delete;
    TAddImageThreadList &operator=(const TAddImageThreadList &) = delete;

    // What a download worker calls after a picture was saved under its final
    // name: makes the thread that records `path` in `library` (it starts at
    // once) and lists it, in one step under the list's lock. Returns nullptr
    // and starts nothing once EndAll has run.
    TAddImageThread *Start(TImageLibrary &library, const QString &path, bool quiet = false);

    int Count() const;
    // The thread at `index`; raises EZavelonError when out of range.
    TAddImageThread *Items(int index) const;

    // Shut-down: refuses further threads and ends every listed one (End(),
    // no waiting). Afterwards no thread of this list touches a library.
    void EndAll();

private:
    mutable std::mutex m_lock;
    bool m_ended = false;
    std::vector<std::unique_ptr<TAddImageThread>> m_threads;
};
