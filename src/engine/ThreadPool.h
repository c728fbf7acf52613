#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

// System threads that outlive their job: after a job a thread parks for a
// while and takes the next one. A crawl runs one short job per item and per
// saved picture, and on a virtual machine a thread start (clone, stack,
// signal masks, Qt's per-thread data on first use) costs as much as a
// small download.
//
// This is not a work queue: every job gets a thread at once, a parked one
// or a new one, so jobs never wait behind each other, and a job that blocks
// blocks nobody else. A parked thread ends after `idleTimeout`, or at once
// when `maxParked` threads already park.
//
// The program's pools are made once and never destroyed, so their threads may
// still be parked when the process exits; a pool that is destroyed (in a
// test) first lets its jobs finish and its threads end.
class TThreadPool
{
public:
    // `setUpThread` runs once on every new thread before its first job (the
    // scheduling class, for instance).
    TThreadPool(std::function<void()> setUpThread, std::size_t maxParked, std::chrono::milliseconds idleTimeout);
    // Waits for running jobs to finish; parked threads end at once.
    ~TThreadPool();
    TThreadPool(const TThreadPool &) = delete;
    TThreadPool &operator=(const TThreadPool &) = delete;

    // Runs `job` on a thread of its own. The job's captures are destroyed on
    // that thread right after it returns, before the thread parks. An
    // exception leaving the job ends the process, as it would on a plain
    // std::thread. Raises std::system_error when the system gives no new
    // thread; the job then never runs.
    void Run(std::function<void()> job);

    // Threads parked at this moment (for tests).
    std::size_t Parked() const;

private:
    struct TSlot {
        std::condition_variable wake;
        std::function<void()> job;
    };

    void ThreadBody(std::function<void()> job);
    // Parks the calling thread until a job comes (returned) or the idle time
    // is over (an empty function: the thread ends).
    std::function<void()> Park();

    const std::function<void()> m_setUpThread;
    const std::size_t m_maxParked;
    const std::chrono::milliseconds m_idleTimeout;
    mutable std::mutex m_lock;
    std::vector<TSlot *> m_parked; // newest last: it was used last, its stack is warm
    std::size_t m_threads = 0;     // running or parked
    bool m_closing = false;
    std::condition_variable m_threadEnded;
};
