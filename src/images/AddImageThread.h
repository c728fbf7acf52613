#pragma once

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TImageLibrary;

// A short-lived thread that records one saved picture in the library: its
// whole work is AddImageFile(library, path). It starts running when made.
// Errors (a file that cannot be opened, a path too long) end it silently.
//
// End() makes sure the thread never touches the library again, without
// waiting for its measuring: a picture still being decoded is then not
// recorded. The library is only touched under the thread's gate, and End()
// takes that gate, so it returns at most one elementary library operation
// later and never leaves the library's lock held.
class TAddImageThread
{
public:
    TAddImageThread(TImageLibrary *library, const QString &path);
    // Ends the thread and waits for it to finish.
    ~TAddImageThread();
    TAddImageThread(const TAddImageThread &) = delete;
    TAddImageThread &operator=(const TAddImageThread &) = delete;

    TImageLibrary *Library() const { return m_library; }
    const QString &FileName() const { return m_path; }

    void End();
    bool Finished() const { return m_finished.load(); }
    // Waits until the thread has finished and releases its system thread.
    // Safe to call from several threads at once.
    void WaitFor();

private:
    void Execute();
    void AddUnlessEnded();

    TImageLibrary *const m_library;
    const QString m_path;
    std::mutex m_gate;
    bool m_ended = false;
    std::atomic<bool> m_finished{false};
    std::mutex m_joinLock; // a std::thread must not be joined twice at once
    std::thread m_thread;  // started last, in the constructor's body
};

// The list of adding threads, with its own lock. The process has one (see
// TImageLibrarySession); a download worker adds a thread per saved picture
// and only shut-down reads it. Finished threads stay listed until the list
// is destroyed, but their system threads are joined as new ones start: a
// crawl saves one picture after another for hours, and every finished but
// unjoined thread would keep its stack mapped until the process runs out of
// memory maps and can start no thread at all.
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
    TAddImageThread *Start(TImageLibrary &library, const QString &path);

    // Lists a thread made elsewhere (ended at once when EndAll has run).
    void Add(std::unique_ptr<TAddImageThread> thread);
    int Count() const;
    // The thread at `index`; raises EZavelonError when out of range.
    TAddImageThread *Items(int index) const;

    // Shut-down: refuses further threads and ends every listed one (End(),
    // no waiting). Afterwards no thread of this list touches a library.
    void EndAll();

private:
    // Joins the threads that have finished and forgets them as unjoined.
    void JoinFinished();

    mutable std::mutex m_lock;
    bool m_ended = false;
    std::vector<std::unique_ptr<TAddImageThread>> m_threads;
    std::vector<TAddImageThread *> m_unjoined; // started, not yet joined: about the live ones
};
