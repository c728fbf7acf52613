#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

// Calls from worker threads into the main thread's event loop, run in the
// order they were posted (across all workers). The calls travel through a
// queue of our own under a std::mutex, and an eventfd wakes the loop through
// a socket notifier; no data crosses threads inside Qt's event objects. That
// keeps every hand-over visible to ThreadSanitizer, which cannot see the
// synchronisation inside an uninstrumented Qt.
//
// Waiting for a call, and giving up when the worker is stopped, is the
// caller's business (see TTaskThread).
class TMainThreadCalls : public QObject
{
public:
    // The process's instance. Made by the first call, which must come from
    // the main thread while a QCoreApplication exists; the engine makes it
    // before it starts any worker. Never destroyed.
    static TMainThreadCalls &Instance();

    // Queues `call` for the main thread; any thread.
    void Post(std::function<void()> call);

    // Runs every call queued so far, on the main thread (the notifier does
    // this by itself; tests and benchmarks may call it directly).
    void RunPending();

private:
    TMainThreadCalls();

    int m_wakeFd = -1;
    QSocketNotifier *m_notifier = nullptr;
    std::mutex m_lock;
    std::deque<std::function<void()>> m_calls;
    bool m_woken = false;
};
