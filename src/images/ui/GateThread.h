#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TStopGate;

// What a window's background job may do: it touches its window only through
// these, and each of them gives up at once when the job is stopped.
class TGateJob
{
public:
    // The job's stop gate, for short locked steps (TStopGate::Locked).
    TStopGate &Gate() const { return *m_shared->Gate; }
    bool Stopped() const;

    // Runs `call` on the main thread from inside the program's main-thread
    // calls and waits for it (TStopGate::CallMain). For quick, occasional
    // calls: while one runs, no other thread's call is answered, and calls
    // that follow each other closely are all run before the event loop gets
    // its next turn.
    bool CallMain(std::function<void()> call) const;

    // Runs `call` on the main thread from the event loop itself, in its turn
    // among the user's input and the window's paints, and waits for it. A
    // long series of such calls (a list filled batch by batch) leaves the
    // window answering the user between any two, and a call may open a
    // modal window (a question, a message) while the program's other
    // threads, download workers among them, keep being answered. False,
    // without running it or without waiting any
    // longer, once the job is stopped. A call that has begun runs to its end
    // even when the job is stopped meanwhile (from inside its modal window),
    // and the job may be gone by then: the call must own what it writes
    // (capture a shared_ptr), never refer to the job's own variables.
    bool CallMainInTurn(std::function<void()> call) const;

private:
    friend class TGateThread;
    struct TShared {
        std::shared_ptr<TStopGate> Gate;
        std::mutex Lock;
        std::condition_variable Answered;
        unsigned long long Posted = 0;
        unsigned long long Done = 0;
    };
    explicit TGateJob(std::shared_ptr<TShared> shared)
        : m_shared(std::move(shared))
    {
    }
    std::shared_ptr<TShared> m_shared;
};

// The thread of a window's background job (the library's loader, the collect
// window's loader and copier). The job runs on a system thread of its own
// and reaches its window only through TGateJob.
//
// Stopping is a request followed by a wait, never a kill: Stop() stops the
// job's gate and wakes a wait for the main thread; it returns at once and
// leaves no lock held. The job then only unwinds, and none of its calls
// reaches the main thread any more. Wait() joins the thread; a job notices a
// stop within one step (a library record, a piece of a file).
//
// A job should own (capture) what it works on; what it shares with its
// window it reaches through the main-thread calls only.
class TGateThread
{
public:
    // Made on the main thread.
    TGateThread();
    // Stop(), then Wait().
    ~TGateThread();
    TGateThread(const TGateThread &) = delete;
    TGateThread &operator=(const TGateThread &) = delete;

    // Runs `job` on a thread of its own; once per object. An exception
    // leaving the job ends it quietly.
    void Start(std::function<void(const TGateJob &job)> job);
    void Stop();
    void Wait();

    bool Started() const { return m_started; }
    bool Stopped() const;

private:
    std::shared_ptr<TGateJob::TShared> m_shared;
    std::thread m_thread;
    bool m_started = false;
};
